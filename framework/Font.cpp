#include "framework/Font.h"

#include "framework/Exception.h"
#include "framework/Reader.h"
#include "framework/Text.h"

#include <map>

TFont::TFont() : FName("MS Shell Dlg 2"), FHeight(-12), FCharset(DEFAULT_CHARSET) { }

void TFont::Changed()
{
    FHandle.reset();
    if (OnChange) OnChange();
}

void TFont::SetName(std::string name)
{
    if (name == FName) return;
    FName = std::move(name);
    Changed();
}

void TFont::SetHeight(int height)
{
    if (height == FHeight) return;
    FHeight = height;
    Changed();
}

void TFont::SetCharset(int charset)
{
    if (charset == FCharset) return;
    FCharset = charset;
    Changed();
}

void TFont::SetBold(bool bold)
{
    if (bold == FBold) return;
    FBold = bold;
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
    if (!FHandle) {
        LOGFONTW lf{};
        lf.lfHeight = FHeight;
        lf.lfWeight = FBold ? FW_BOLD : FW_NORMAL;
        lf.lfCharSet = static_cast<BYTE>(FCharset);
        lf.lfQuality = DEFAULT_QUALITY;
        lstrcpynW(lf.lfFaceName, text::ToWide(FName).c_str(), LF_FACESIZE);
        FHandle.reset(CreateFontIndirectW(&lf));
    }
    return FHandle.get();
}
