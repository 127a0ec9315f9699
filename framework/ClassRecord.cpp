#include "ClassRecord.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>

namespace fw {

namespace {

struct Registry {
    std::map<std::string, std::unique_ptr<ClassRecord>, std::less<>> records;
    std::vector<std::string> order;
};

Registry& GetRegistry()
{
    static Registry registry;
    return registry;
}

// The type codes of a signature's non-object places that the glue can check;
// any other code passes unchecked.
bool ValueMatchesCode(const std::string& code, const Variant& value)
{
    if (code == "b")
        return std::holds_alternative<bool>(value);
    if (code == "i4" || code == "i")
        return std::holds_alternative<int32_t>(value);
    if (code == "s")
        return std::holds_alternative<std::string>(value);
    if (code == "d" || code == "f8")
        return std::holds_alternative<double>(value);
    if (code == "f4" || code == "f")
        return std::holds_alternative<float>(value);
    if (code == "c")
        return std::holds_alternative<Color>(value);
    return true;
}

// Checks one object place of a signature. A class that is not registered
// (yet) cannot be tested against and is let through.
void CheckObject(const std::string& signature, const std::string& place, const std::string& className, const Variant& value)
{
    const auto* object = std::get_if<RefPtr<Object>>(&value);
    if (!object)
        throw TypeMismatchException(place + " of \"" + signature + "\" must be a " + className + ", got a " + VariantTypeName(value));
    if (!*object)
        return;
    const ClassRecord* expected = ClassRecord::Find(className);
    if (expected && !(*object)->Class().IsA(*expected))
        throw TypeMismatchException(place + " of \"" + signature + "\" must be a " + className + ", got an object of class " + (*object)->Class().Name());
}

}

CallGlue::CallGlue(std::string signature)
    : m_signature(std::move(signature))
{
    auto malformed = [this](const std::string& why) {
        return RuntimeException("malformed signature \"" + m_signature + "\": " + why);
    };
    if (m_signature.empty() || m_signature[0] != '%')
        throw malformed("it must start with %");
    size_t close = m_signature.find('%', 1);
    if (close == std::string::npos)
        throw malformed("the result has no closing %");

    // One place: "o<Class>" for an object, else a letter and optional digits
    // ("b", "i4"). Places may be run together or separated by commas.
    auto parsePlace = [&](const std::string& text, size_t& pos, std::string& className, std::string& code) {
        if (text[pos] == 'o' && pos + 1 < text.size() && text[pos + 1] == '<') {
            size_t end = text.find('>', pos + 2);
            if (end == std::string::npos || end == pos + 2)
                throw malformed("an object place has no class name");
            className = text.substr(pos + 2, end - pos - 2);
            code.assign(1, 'o'); // not `code = "o"`: GCC 12 warns wrongly about that assignment at -O3
            pos = end + 1;
            return;
        }
        if (!std::isalpha(static_cast<unsigned char>(text[pos]))) {
            std::string what = "unexpected '";
            what += text[pos];
            what += '\'';
            throw malformed(what);
        }
        size_t start = pos++;
        while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])))
            ++pos;
        className.clear();
        code = text.substr(start, pos - start);
    };

    std::string result = m_signature.substr(1, close - 1);
    if (!result.empty()) {
        size_t pos = 0;
        std::string className;
        parsePlace(result, pos, className, m_resultCode);
        if (pos != result.size())
            throw malformed("more than one result");
        m_result = className.empty() ? m_resultCode : className;
    }

    std::string params = m_signature.substr(close + 1);
    for (size_t pos = 0; pos < params.size();) {
        if (params[pos] == ',' || params[pos] == ' ') {
            ++pos;
            continue;
        }
        std::string className;
        std::string code;
        parsePlace(params, pos, className, code);
        m_parameters.push_back(className);
        m_parameterCodes.push_back(code);
    }
}

const CallGlue& CallGlue::ForSignature(const std::string& signature)
{
    static std::map<std::string, std::unique_ptr<CallGlue>, std::less<>> glues;
    auto it = glues.find(signature);
    if (it == glues.end())
        it = glues.emplace(signature, std::unique_ptr<CallGlue>(new CallGlue(signature))).first;
    return *it->second;
}

Variant CallGlue::Call(const Method& method, Object& self, const std::vector<Variant>& args) const
{
    if (args.size() != m_parameters.size())
        throw TypeMismatchException("\"" + m_signature + "\" takes " + std::to_string(m_parameters.size()) + " argument(s), got " + std::to_string(args.size()));
    for (size_t i = 0; i < args.size(); ++i) {
        std::string place = "argument " + std::to_string(i + 1);
        if (m_parameterCodes[i] == "o")
            CheckObject(m_signature, place, m_parameters[i], args[i]);
        else if (!ValueMatchesCode(m_parameterCodes[i], args[i]))
            throw TypeMismatchException(place + " of \"" + m_signature + "\" has the wrong type " + VariantTypeName(args[i]));
    }

    Variant result = method(self, args);
    if (!HasResult())
        return std::monostate {};
    if (m_resultCode == "o")
        CheckObject(m_signature, "the result", m_result, result);
    else if (!ValueMatchesCode(m_resultCode, result))
        throw TypeMismatchException("the result of \"" + m_signature + "\" has the wrong type " + VariantTypeName(result));
    return result;
}

bool MemberEntry::HasAttribute(const std::string& attributeName) const
{
    return std::any_of(attributes.begin(), attributes.end(), [&](const Attribute& a) { return a.name == attributeName; });
}

Variant MemberEntry::Invoke(Object& self, const std::vector<Variant>& args) const
{
    if (glue)
        return glue->Call(method, self, args);
    return method(self, args);
}

const ClassRecord& ClassRecord::Build(const std::string& name, const ClassRecord* base, const std::function<void(Builder&)>& fill)
{
    Registry& registry = GetRegistry();
    if (auto it = registry.records.find(name); it != registry.records.end())
        return *it->second;

    // The record joins the registry only once it is complete, so a fill that
    // throws leaves no half-built class behind.
    std::unique_ptr<ClassRecord> record(new ClassRecord());
    record->m_name = name;
    record->m_base = base;
    if (fill) {
        Builder builder(*record);
        fill(builder);
    }
    if (auto it = registry.records.find(name); it != registry.records.end())
        return *it->second;
    registry.order.push_back(name);
    return *registry.records.emplace(name, std::move(record)).first->second;
}

const ClassRecord* ClassRecord::Find(const std::string& name)
{
    Registry& registry = GetRegistry();
    auto it = registry.records.find(name);
    return it == registry.records.end() ? nullptr : it->second.get();
}

std::vector<std::string> ClassRecord::RegistrationOrder()
{
    return GetRegistry().order;
}

bool ClassRecord::IsA(const ClassRecord& other) const
{
    for (const ClassRecord* record = this; record; record = record->m_base) {
        if (record == &other)
            return true;
    }
    return false;
}

std::vector<std::string> ClassRecord::Slots() const
{
    std::vector<std::string> slots = m_base ? m_base->Slots() : std::vector<std::string> {};
    for (const MemberEntry& member : m_members) {
        if (std::find(slots.begin(), slots.end(), member.name) == slots.end())
            slots.push_back(member.name);
    }
    return slots;
}

const MemberEntry* ClassRecord::FindOperation(const std::string& operation) const
{
    for (const ClassRecord* record = this; record; record = record->m_base) {
        for (const MemberEntry& member : record->m_members) {
            if (member.name == operation)
                return &member;
        }
    }
    return nullptr;
}

const MemberEntry& ClassRecord::Operation(const std::string& operation) const
{
    if (const MemberEntry* member = FindOperation(operation))
        return *member;
    throw TypeMismatchException(m_name + " has no operation '" + operation + "'");
}

const EventEntry* ClassRecord::FindEvent(int number) const
{
    for (const ClassRecord* record = this; record; record = record->m_base) {
        for (const EventEntry& entry : record->m_events) {
            if (entry.number == number)
                return &entry;
        }
    }
    return nullptr;
}

Ref<Object> ClassRecord::New() const
{
    if (!m_factory)
        throw RuntimeException("class " + m_name + " cannot be created");
    return m_factory();
}

const ClassRecord::PropertySetter* ClassRecord::FindProperty(const std::string& key) const
{
    auto findDeclared = [this](const std::string& name) -> const PropertySetter* {
        for (const ClassRecord* record = this; record; record = record->m_base) {
            for (const auto& [propertyName, setter] : record->m_properties) {
                if (propertyName == name)
                    return &setter;
            }
        }
        return nullptr;
    };
    if (const PropertySetter* setter = findDeclared(key))
        return setter;
    for (const ClassRecord* record = this; record; record = record->m_base) {
        for (const auto& [alias, property] : record->m_propertyAliases) {
            if (alias == key)
                return findDeclared(property);
        }
    }
    return nullptr;
}

ClassRecord::Builder& ClassRecord::Builder::AddMember(const std::string& name, const std::string& signature, fw::Method method, std::vector<Attribute> attributes)
{
    MemberEntry entry { name, signature, std::move(method), &CallGlue::ForSignature(signature), std::move(attributes) };
    auto& members = m_record.m_members;
    auto existing = std::find_if(members.begin(), members.end(), [&](const MemberEntry& m) { return m.name == name; });
    if (existing != members.end())
        *existing = std::move(entry);
    else
        members.push_back(std::move(entry));
    return *this;
}

ClassRecord::Builder& ClassRecord::Builder::Event(int number, const std::string& event, const std::string& operation)
{
    m_record.m_events.push_back({ number, event, operation });
    return *this;
}

ClassRecord::Builder& ClassRecord::Builder::ClassAttribute(const std::string& name, std::optional<std::string> value)
{
    m_record.m_attributes.push_back({ name, std::move(value) });
    return *this;
}

ClassRecord::Builder& ClassRecord::Builder::AddProperty(const std::string& name, PropertySetter setter)
{
    auto& properties = m_record.m_properties;
    auto existing = std::find_if(properties.begin(), properties.end(), [&](const auto& p) { return p.first == name; });
    if (existing != properties.end())
        existing->second = std::move(setter);
    else
        properties.emplace_back(name, std::move(setter));
    return *this;
}

ClassRecord::Builder& ClassRecord::Builder::PropertyAlias(const std::string& key, const std::string& property)
{
    m_record.m_propertyAliases.emplace_back(key, property);
    return *this;
}

}
