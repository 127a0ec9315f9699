#pragma once

#include "Object.h"
#include "RuntimeException.h"
#include "Variant.h"

#include <functional>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace fw {

class ClassRecord;

struct Attribute {
    std::string name;
    std::optional<std::string> value; // Hidden has none; __Scope has "Public"

    bool operator==(const Attribute&) const = default;
};

// Every operation in a class record has this one shape: it runs on an object
// with the arguments that its registered signature names, and gives a Variant
// (std::monostate when the signature has no result).
using Method = std::function<Variant(Object& self, const std::vector<Variant>& args)>;

// Call glue for one registered signature ("%o<TextField>%", "%%o<PushButton>",
// "%%"). It checks the arguments against the signature's parameters before a
// call and the result after it, so a binding of the wrong shape fails loudly.
// One instance exists per distinct signature and is shared by every member
// entry that has that signature.
class CallGlue {
public:
    static const CallGlue& ForSignature(const std::string& signature);

    const std::string& Signature() const { return m_signature; }
    // Class names of the object parameters, "" where a place is not an object.
    const std::vector<std::string>& ParameterClasses() const { return m_parameters; }
    // The class name of an object result, else the result's type code ("b").
    const std::string& ResultClass() const { return m_result; }
    bool HasResult() const { return !m_result.empty(); }

    Variant Call(const Method& method, Object& self, const std::vector<Variant>& args) const;

private:
    explicit CallGlue(std::string signature);
    std::string m_signature;
    std::string m_result;
    std::string m_resultCode; // "o" for an object, else the type code
    std::vector<std::string> m_parameters;
    std::vector<std::string> m_parameterCodes;
};

// One entry of a class's member table: one of its own operations.
struct MemberEntry {
    std::string name;
    std::string signature;
    Method method;
    const CallGlue* glue = nullptr;
    std::vector<Attribute> attributes;

    bool HasAttribute(const std::string& attributeName) const;
    Variant Invoke(Object& self, const std::vector<Variant>& args = {}) const;
};

// A class's event table entry: the class implements event `number` (named
// `event` for messages) with its operation `operation`.
struct EventEntry {
    int number;
    std::string event;
    std::string operation;
};

// The run-time description of a class: its registered name, its base, its
// operations in slot order, its member table, its event table, its property
// setters and how to make a new instance. Built once per class by the class's
// ctblinit and found by name through Lookup.
class ClassRecord {
public:
    class Builder;
    using Factory = std::function<Ref<Object>()>;
    using PropertySetter = std::function<void(Object& self, const Variant& value)>;

    // Builds the record named `name` through `fill`, unless a record of that
    // name exists already, in which case it is returned untouched.
    static const ClassRecord& Build(const std::string& name, const ClassRecord* base, const std::function<void(Builder&)>& fill);
    // The record registered under `name`, or nullptr.
    static const ClassRecord* Find(const std::string& name);
    // The names of every record in the order in which they were built.
    static std::vector<std::string> RegistrationOrder();

    const std::string& Name() const { return m_name; }
    const ClassRecord* Base() const { return m_base; }
    bool IsA(const ClassRecord& other) const;

    // The class's own member entries, in the order it declared them.
    const std::vector<MemberEntry>& Members() const { return m_members; }
    // All operation names in slot order: the base's slots first (an override
    // keeps its base's place), then this class's new ones.
    std::vector<std::string> Slots() const;
    // The most derived implementation of `operation`, or nullptr.
    const MemberEntry* FindOperation(const std::string& operation) const;
    // Raises TypeMismatchException naming the class when there is none.
    const MemberEntry& Operation(const std::string& operation) const;

    // The event table of this class alone, and the lookup through the chain.
    const std::vector<EventEntry>& Events() const { return m_events; }
    const EventEntry* FindEvent(int number) const;

    const std::vector<Attribute>& Attributes() const { return m_attributes; }

    // A new instance made by the class's factory; raises RuntimeException for
    // a class that has none (an abstract one).
    Ref<Object> New() const;
    bool CanCreate() const { return static_cast<bool>(m_factory); }

    // The setter for property `key`, found through the chain and the aliases.
    const PropertySetter* FindProperty(const std::string& key) const;

private:
    ClassRecord() = default;

    std::string m_name;
    const ClassRecord* m_base = nullptr;
    std::vector<MemberEntry> m_members;
    std::vector<EventEntry> m_events;
    std::vector<Attribute> m_attributes;
    std::vector<std::pair<std::string, PropertySetter>> m_properties;
    std::vector<std::pair<std::string, std::string>> m_propertyAliases;
    Factory m_factory;
};

namespace detail {

template<typename T>
struct IsObjectReference : std::false_type { };
template<typename T>
struct IsObjectReference<Ref<T>> : std::true_type { };
template<typename T>
struct IsObjectReference<RefPtr<T>> : std::true_type { };

template<typename T>
Variant ToVariant(T&& value)
{
    using U = std::remove_cvref_t<T>;
    if constexpr (std::is_same_v<U, Variant>)
        return std::forward<T>(value);
    else if constexpr (IsObjectReference<U>::value)
        return RefPtr<Object>(value);
    else
        return Variant(std::forward<T>(value));
}

template<typename T>
T FromVariant(const Variant& value);

template<typename C, typename R, typename... A>
Method MakeMethod(R (C::*fn)(A...));

}

class ClassRecord::Builder {
public:
    // Adds (or, when the base has one of that name, overrides) an operation.
    // `fn` is a member function of the class whose parameters are object
    // references (T&) and whose result is void, bool, RefPtr<T> or Ref<T>.
    template<typename C, typename R, typename... A>
    Builder& Method(const std::string& name, const std::string& signature, R (C::*fn)(A...), std::vector<Attribute> attributes = { { "__Scope", "Public" } })
    {
        return AddMember(name, signature, detail::MakeMethod(fn), std::move(attributes));
    }
    Builder& AddMember(const std::string& name, const std::string& signature, fw::Method method, std::vector<Attribute> attributes);

    Builder& Event(int number, const std::string& event, const std::string& operation);
    Builder& ClassAttribute(const std::string& name, std::optional<std::string> value = std::nullopt);

    template<typename C>
    Builder& Creatable()
    {
        m_record.m_factory = [] { return Ref<Object>(C::Create()); };
        return *this;
    }

    // A property that property lists can set. V is int32_t, bool, float,
    // Color or std::string; the value's type must match exactly.
    template<typename C, typename V>
    Builder& Property(const std::string& name, void (C::*setter)(V))
    {
        using Value = std::remove_cvref_t<V>;
        return AddProperty(name, [setter](Object& self, const Variant& value) {
            (static_cast<C&>(self).*setter)(detail::FromVariant<Value>(value));
        });
    }
    Builder& AddProperty(const std::string& name, PropertySetter setter);
    // A second key for a property declared under another spelling.
    Builder& PropertyAlias(const std::string& key, const std::string& property);

private:
    friend class ClassRecord;
    explicit Builder(ClassRecord& record)
        : m_record(record)
    {
    }
    ClassRecord& m_record;
};

// The framework's type-tested cast: nil stays nil, an object whose class is T
// or derives from it passes unchanged, anything else raises
// TypeMismatchException.
template<typename T>
RefPtr<T> Cast(const RefPtr<Object>& object)
{
    if (!object)
        return nullptr;
    if (!object->Class().IsA(T::Lookup()))
        throw TypeMismatchException("an object of class " + object->Class().Name() + " is not a " + T::Lookup().Name());
    return RefPtr<T>(static_cast<T*>(object.Get()));
}

template<typename T, typename U>
RefPtr<T> Cast(const RefPtr<U>& object)
{
    return Cast<T>(RefPtr<Object>(object));
}

template<typename T, typename U>
RefPtr<T> Cast(const Ref<U>& object)
{
    return Cast<T>(RefPtr<Object>(object));
}

namespace detail {

template<typename T>
T FromVariant(const Variant& value)
{
    if constexpr (std::is_reference_v<T>) {
        using Target = std::remove_reference_t<T>;
        const auto* object = std::get_if<RefPtr<Object>>(&value);
        if (!object || !*object)
            throw NilObjectException("a nil object was passed where a " + Target::Lookup().Name() + " was expected");
        return *Cast<Target>(*object);
    } else {
        const auto* held = std::get_if<T>(&value);
        if (!held)
            throw TypeMismatchException(std::string("expected ") + VariantTypeName(Variant(T {})) + ", given " + VariantTypeName(value));
        return *held;
    }
}

template<typename C, typename R, typename... A>
Method MakeMethod(R (C::*fn)(A...))
{
    return [fn](Object& self, const std::vector<Variant>& args) -> Variant {
        if (args.size() != sizeof...(A))
            throw TypeMismatchException("wrong number of arguments");
        auto call = [&]<std::size_t... I>(std::index_sequence<I...>) -> decltype(auto) {
            return (static_cast<C&>(self).*fn)(FromVariant<A>(args[I])...);
        };
        if constexpr (std::is_void_v<R>) {
            call(std::index_sequence_for<A...> {});
            return std::monostate {};
        } else {
            return ToVariant(call(std::index_sequence_for<A...> {}));
        }
    };
}

}

}
