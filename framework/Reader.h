#pragma once
// Form descriptions are data: objects with their stored properties and
// children, written in the order in which they are applied.
//
//   object FormMain: TFormMain
//     Caption = 'Lullwick'
//     Font.Style = [fsBold]
//     OnCreate = FormCreate
//     object ButtonClose: TButton
//       ...
//     end
//   end
#include "framework/Events.h"

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class TComponent;

struct TValue {
    enum class Kind { Integer, String, Identifier, Set };
    Kind kind = Kind::Integer;
    long long integer = 0;
    std::string text; // a string's bytes, or an identifier
    std::vector<std::string> items; // the members of a set

    int AsInt() const;
    bool AsBool() const;
    const std::string& AsString() const;
    const std::string& AsIdentifier() const;
    bool Has(std::string_view member) const;
};

struct TObjectDesc {
    std::string name;
    std::string className;
    std::vector<std::pair<std::string, TValue>> properties;
    std::vector<TObjectDesc> children;
};

// Parses a description; a malformed one raises Exception naming the line.
TObjectDesc ParseDescription(std::string_view source);

// What a form publishes to its description: component fields and methods.
class TBindings {
public:
    // Stored out of line, with one making function for each class: a form's many bindings add little code.
    template <class T>
    void Field(std::string_view name, T*& slot)
    {
        AddField(name, T::ClassName, &Make<T>, &slot);
    }
    template <class C, class... A>
    void Method(std::string_view name, C* object, void (C::*method)(A...))
    {
        AddMethod(name, TPublishedMethod(std::in_place_type<std::function<void(A...)>>, [object, method](A... args) {
            (object->*method)(args...);
        }));
    }

    TComponent* Create(const std::string& name, const std::string& className, TComponent* owner) const;
    const TPublishedMethod* FindMethod(const std::string& name) const;

private:
    // Makes the component into the field that `slot` points to, a T*; one function for each class.
    using MakeFn = TComponent* (*)(TComponent* owner, void* slot);
    template <class T>
    static TComponent* Make(TComponent* owner, void* slot)
    {
        return *static_cast<T**>(slot) = new T(owner);
    }
    void AddField(std::string_view name, const char* className, MakeFn make, void* slot);
    void AddMethod(std::string_view name, TPublishedMethod method);

    struct FieldEntry {
        std::string className;
        MakeFn make;
        void* slot;
    };
    std::map<std::string, FieldEntry> FFields;
    std::map<std::string, TPublishedMethod> FMethods;
};

class TReader {
public:
    TReader(TComponent& root, const TBindings& bindings) : FRoot(root), FBindings(bindings) { }

    // Creates the described components, reads every stored property, resolves
    // references and then runs each component's end-of-loading hook.
    void ReadRoot(const TObjectDesc& desc);

    void Apply(TComponent& component, const std::string& name, const TValue& value);
    // A reference to a component of the root, resolved at once or after all exist.
    void Reference(const TValue& value, std::function<void(TComponent*)> assign);
    template <class E>
    E Method(const TValue& value) const
    {
        const TPublishedMethod* method = FindMethod(value);
        if (const E* e = std::get_if<E>(method)) return *e;
        Fail("method " + value.AsIdentifier() + " has the wrong signature");
    }

private:
    const TPublishedMethod* FindMethod(const TValue& value) const;
    [[noreturn]] void Fail(const std::string& what) const;
    void ReadObject(TComponent& component, const TObjectDesc& desc);
    void ReadChildren(TComponent& enclosing, const TObjectDesc& desc);

    TComponent& FRoot;
    const TBindings& FBindings;
    std::vector<TComponent*> FLoaded;
    std::vector<std::pair<std::string, std::function<void(TComponent*)>>> FFixups;
};
