#include "framework/Reader.h"

#include "framework/Component.h"
#include "framework/Exception.h"
#include "framework/Text.h"

#include <cctype>

int TValue::AsInt() const
{
    if (kind != Kind::Integer) throw Exception("integer expected");
    return static_cast<int>(integer);
}

bool TValue::AsBool() const
{
    if (kind == Kind::Identifier && (text == "True" || text == "False")) return text == "True";
    throw Exception("True or False expected");
}

const std::string& TValue::AsString() const
{
    if (kind != Kind::String) throw Exception("string expected");
    return text;
}

const std::string& TValue::AsIdentifier() const
{
    if (kind != Kind::Identifier) throw Exception("identifier expected");
    return text;
}

bool TValue::Has(std::string_view member) const
{
    if (kind != Kind::Set) throw Exception("set expected");
    for (const auto& item : items)
        if (item == member) return true;
    return false;
}

namespace {

class Parser {
public:
    explicit Parser(std::string_view source) : src_(source) { }

    TObjectDesc Root()
    {
        TObjectDesc root = Object();
        SkipBlanks();
        if (pos_ != src_.size()) Fail("text after the last end");
        return root;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const
    {
        int line = 1;
        for (size_t i = 0; i < pos_ && i < src_.size(); ++i) line += src_[i] == '\n';
        throw Exception("form description, line " + std::to_string(line) + ": " + what);
    }
    void SkipBlanks()
    {
        while (pos_ < src_.size() && static_cast<unsigned char>(src_[pos_]) <= ' ') ++pos_;
    }
    bool Peek(char c)
    {
        SkipBlanks();
        return pos_ < src_.size() && src_[pos_] == c;
    }
    void Expect(char c)
    {
        if (!Peek(c)) Fail(std::string("'") + c + "' expected");
        ++pos_;
    }
    std::string Word()
    {
        SkipBlanks();
        const size_t start = pos_;
        while (pos_ < src_.size() &&
            (std::isalnum(static_cast<unsigned char>(src_[pos_])) || src_[pos_] == '_' || src_[pos_] == '.'))
            ++pos_;
        if (start == pos_) Fail("name expected");
        return std::string(src_.substr(start, pos_ - start));
    }
    TObjectDesc Object()
    {
        if (Word() != "object") Fail("object expected");
        TObjectDesc desc;
        desc.name = Word();
        Expect(':');
        desc.className = Word();
        for (;;) {
            const size_t mark = pos_;
            const std::string word = Word();
            if (word == "end") return desc;
            if (word == "object") {
                pos_ = mark;
                desc.children.push_back(Object());
                continue;
            }
            Expect('=');
            desc.properties.emplace_back(word, Value());
        }
    }
    TValue Value()
    {
        SkipBlanks();
        TValue v;
        if (pos_ >= src_.size()) Fail("value expected");
        const char c = src_[pos_];
        if (c == '\'') {
            v.kind = TValue::Kind::String;
            ++pos_;
            for (;;) {
                if (pos_ >= src_.size()) Fail("unterminated string");
                if (src_[pos_] == '\'') {
                    if (pos_ + 1 < src_.size() && src_[pos_ + 1] == '\'') {
                        v.text += '\'';
                        pos_ += 2;
                        continue;
                    }
                    ++pos_;
                    // Descriptions are UTF-8 like every source; the components hold code page 932.
                    v.text = text::FromUtf8(v.text);
                    return v;
                }
                v.text += src_[pos_++];
            }
        }
        if (c == '[') {
            v.kind = TValue::Kind::Set;
            ++pos_;
            while (!Peek(']')) {
                v.items.push_back(Word());
                if (!Peek(']')) Expect(',');
            }
            ++pos_;
            return v;
        }
        if (c == '-' || std::isdigit(static_cast<unsigned char>(c))) {
            const size_t start = pos_++;
            while (pos_ < src_.size() && std::isdigit(static_cast<unsigned char>(src_[pos_]))) ++pos_;
            const std::string digits(src_.substr(start, pos_ - start));
            if (digits == "-") Fail("number expected");
            v.integer = std::stoll(digits);
            return v;
        }
        v.kind = TValue::Kind::Identifier;
        v.text = Word();
        return v;
    }

    std::string_view src_;
    size_t pos_ = 0;
};

} // namespace

TObjectDesc ParseDescription(std::string_view source) { return Parser(source).Root(); }

TComponent* TBindings::Create(const std::string& name, const std::string& className, TComponent* owner) const
{
    const auto it = fields_.find(name);
    if (it == fields_.end() || it->second.className != className)
        throw Exception("form description: no field " + name + " of class " + className);
    return it->second.create(owner);
}

const TPublishedMethod* TBindings::FindMethod(const std::string& name) const
{
    const auto it = methods_.find(name);
    return it == methods_.end() ? nullptr : &it->second;
}

void TReader::Fail(const std::string& what) const { throw Exception("form description: " + what); }

const TPublishedMethod* TReader::FindMethod(const TValue& value) const
{
    const TPublishedMethod* method = bindings_.FindMethod(value.AsIdentifier());
    if (!method) Fail("no method " + value.AsIdentifier());
    return method;
}

void TReader::ReadRoot(const TObjectDesc& desc)
{
    ReadObject(root_, desc);
    for (auto& [name, assign] : fixups_) {
        TComponent* target = name == root_.Name() ? &root_ : root_.FindComponent(name);
        if (!target) Fail("no component " + name);
        assign(target);
    }
    fixups_.clear();
    for (TComponent* c : loaded_) c->Loaded();
    loaded_.clear();
}

void TReader::ReadObject(TComponent& component, const TObjectDesc& desc)
{
    component.SetName(desc.name);
    component.SetLoading(true);
    loaded_.push_back(&component);
    component.ReadState(*this, desc);
    ReadChildren(component, desc);
}

void TReader::ReadChildren(TComponent& enclosing, const TObjectDesc& desc)
{
    for (const TObjectDesc& child : desc.children) {
        TComponent* created = bindings_.Create(child.name, child.className, &root_);
        created->SetParentComponent(&enclosing);
        ReadObject(*created, child);
    }
}

void TReader::Apply(TComponent& component, const std::string& name, const TValue& value)
{
    try {
        if (!component.SetProperty(name, value, *this)) Fail(component.Name() + " has no property " + name);
    } catch (const Exception& e) {
        if (std::string_view(e.what()).starts_with("form description")) throw;
        Fail(component.Name() + "." + name + ": " + e.what());
    }
}

void TReader::Reference(const TValue& value, std::function<void(TComponent*)> assign)
{
    const std::string& name = value.AsIdentifier();
    if (TComponent* target = root_.FindComponent(name)) {
        assign(target);
        return;
    }
    fixups_.emplace_back(name, std::move(assign));
}
