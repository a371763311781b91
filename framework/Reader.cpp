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
    explicit Parser(std::string_view source) : FSrc(source) { }

    TObjectDesc Root()
    {
        TObjectDesc root = Object();
        SkipBlanks();
        if (FPos != FSrc.size()) Fail("text after the last end");
        return root;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const
    {
        int line = 1;
        for (size_t i = 0; i < FPos && i < FSrc.size(); ++i) line += FSrc[i] == '\n';
        throw Exception("form description, line " + std::to_string(line) + ": " + what);
    }
    void SkipBlanks()
    {
        while (FPos < FSrc.size() && static_cast<unsigned char>(FSrc[FPos]) <= ' ') ++FPos;
    }
    bool Peek(char c)
    {
        SkipBlanks();
        return FPos < FSrc.size() && FSrc[FPos] == c;
    }
    void Expect(char c)
    {
        if (!Peek(c)) Fail(std::string("'") + c + "' expected");
        ++FPos;
    }
    std::string Word()
    {
        SkipBlanks();
        const size_t start = FPos;
        while (FPos < FSrc.size() &&
            (std::isalnum(static_cast<unsigned char>(FSrc[FPos])) || FSrc[FPos] == '_' || FSrc[FPos] == '.'))
            ++FPos;
        if (start == FPos) Fail("name expected");
        return std::string(FSrc.substr(start, FPos - start));
    }
    TObjectDesc Object()
    {
        if (Word() != "object") Fail("object expected");
        TObjectDesc desc;
        desc.name = Word();
        Expect(':');
        desc.className = Word();
        for (;;) {
            const size_t mark = FPos;
            const std::string word = Word();
            if (word == "end") return desc;
            if (word == "object") {
                FPos = mark;
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
        if (FPos >= FSrc.size()) Fail("value expected");
        const char c = FSrc[FPos];
        if (c == '\'') {
            v.kind = TValue::Kind::String;
            ++FPos;
            for (;;) {
                if (FPos >= FSrc.size()) Fail("unterminated string");
                if (FSrc[FPos] == '\'') {
                    if (FPos + 1 < FSrc.size() && FSrc[FPos + 1] == '\'') {
                        v.text += '\'';
                        FPos += 2;
                        continue;
                    }
                    ++FPos;
                    // Descriptions are UTF-8 like every source; the components hold code page 932.
                    v.text = text::FromUtf8(v.text);
                    return v;
                }
                v.text += FSrc[FPos++];
            }
        }
        if (c == '[') {
            v.kind = TValue::Kind::Set;
            ++FPos;
            while (!Peek(']')) {
                v.items.push_back(Word());
                if (!Peek(']')) Expect(',');
            }
            ++FPos;
            return v;
        }
        if (c == '-' || std::isdigit(static_cast<unsigned char>(c))) {
            const size_t start = FPos++;
            while (FPos < FSrc.size() && std::isdigit(static_cast<unsigned char>(FSrc[FPos]))) ++FPos;
            const std::string digits(FSrc.substr(start, FPos - start));
            if (digits == "-") Fail("number expected");
            v.integer = std::stoll(digits);
            return v;
        }
        v.kind = TValue::Kind::Identifier;
        v.text = Word();
        return v;
    }

    std::string_view FSrc;
    size_t FPos = 0;
};

} // namespace

TObjectDesc ParseDescription(std::string_view source) { return Parser(source).Root(); }

void TBindings::AddField(std::string_view name, const char* className, MakeFn make, void* slot)
{
    FFields[std::string(name)] = {className, make, slot};
}

void TBindings::AddMethod(std::string_view name, TPublishedMethod method)
{
    FMethods.insert_or_assign(std::string(name), std::move(method));
}

TComponent* TBindings::Create(const std::string& name, const std::string& className, TComponent* owner) const
{
    const auto it = FFields.find(name);
    if (it == FFields.end() || it->second.className != className)
        throw Exception("form description: no field " + name + " of class " + className);
    return it->second.make(owner, it->second.slot);
}

const TPublishedMethod* TBindings::FindMethod(const std::string& name) const
{
    const auto it = FMethods.find(name);
    return it == FMethods.end() ? nullptr : &it->second;
}

void TReader::Fail(const std::string& what) const { throw Exception("form description: " + what); }

const TPublishedMethod* TReader::FindMethod(const TValue& value) const
{
    const TPublishedMethod* method = FBindings.FindMethod(value.AsIdentifier());
    if (!method) Fail("no method " + value.AsIdentifier());
    return method;
}

void TReader::ReadRoot(const TObjectDesc& desc)
{
    ReadObject(FRoot, desc);
    for (auto& [name, assign] : FFixups) {
        TComponent* target = name == FRoot.Name() ? &FRoot : FRoot.FindComponent(name);
        if (!target) Fail("no component " + name);
        assign(target);
    }
    FFixups.clear();
    for (TComponent* c : FLoaded) c->Loaded();
    FLoaded.clear();
}

void TReader::ReadObject(TComponent& component, const TObjectDesc& desc)
{
    component.SetName(desc.name);
    component.SetLoading(true);
    FLoaded.push_back(&component);
    component.ReadState(*this, desc);
    ReadChildren(component, desc);
}

void TReader::ReadChildren(TComponent& enclosing, const TObjectDesc& desc)
{
    for (const TObjectDesc& child : desc.children) {
        TComponent* created = FBindings.Create(child.name, child.className, &FRoot);
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
    if (TComponent* target = FRoot.FindComponent(name)) {
        assign(target);
        return;
    }
    FFixups.emplace_back(name, std::move(assign));
}
