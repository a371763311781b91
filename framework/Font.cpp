#include "framework/Font.h"

#include "framework/Exception.h"
#include "framework/Reader.h"
#include "framework/Text.h"

#include <map>

TFont::TFont() : name_("MS Shell Dlg 2"), height_(-12), charset_(DEFAULT_CHARSET) { }

void TFont::Changed()
{
    handle_.reset();
    if (OnChange) OnChange();
}

void TFont::SetName(std::string name)
{
    if (name == name_) return;
    name_ = std::move(name);
    Changed();
}

void TFont::SetHeight(int height)
{
    if (height == height_) return;
    height_ = height;
    Changed();
}

void TFont::SetCharset(int charset)
{
    if (charset == charset_) return;
    charset_ = charset;
    Changed();
}

void TFont::SetBold(bool bold)
{
    if (bold == bold_) return;
    bold_ = bold;
    Changed();
}

bool TFont::SetProperty(std::string_view name, const TValue& value)
{
    if (name == "Name") SetName(value.AsString());
    else if (name == "Height") SetHeight(value.AsInt());
    else if (name == "Style") SetBold(value.Has("fsBold"));
    else if (name == "Color") value.AsIdentifier(); // window text colour: the system's own
    else if (name == "Charset") {
        static const std::map<std::string, int, std::less<>> charsets = {{"DEFAULT_CHARSET", DEFAULT_CHARSET},
            {"SHIFTJIS_CHARSET", SHIFTJIS_CHARSET}, {"ANSI_CHARSET", ANSI_CHARSET}};
        const auto it = charsets.find(value.AsIdentifier());
        if (it == charsets.end()) throw Exception("unknown character set " + value.text);
        SetCharset(it->second);
    } else return false;
    return true;
}

HFONT TFont::Handle() const
{
    if (!handle_) {
        LOGFONTW lf{};
        lf.lfHeight = height_;
        lf.lfWeight = bold_ ? FW_BOLD : FW_NORMAL;
        lf.lfCharSet = static_cast<BYTE>(charset_);
        lf.lfQuality = DEFAULT_QUALITY;
        lstrcpynW(lf.lfFaceName, text::ToWide(name_).c_str(), LF_FACESIZE);
        handle_.reset(CreateFontIndirectW(&lf));
    }
    return handle_.get();
}
