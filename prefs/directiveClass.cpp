#include "prefs/directiveClass.h"

namespace tockamo {

namespace {

constexpr const char* kClassName = "directiveClass";

// Both properties are plain public Strings; a property list may set them.
fw::ClassRecord::PropertySetter StringSetter(std::string directiveClass::*member)
{
    return [member](fw::Object& self, const fw::Variant& value) {
        static_cast<directiveClass&>(self).*member = fw::detail::FromVariant<std::string>(value);
    };
}

}

fw::Ref<directiveClass> directiveClass::Create()
{
    return fw::Adopt(*new directiveClass);
}

void directiveClass::ctblinit()
{
    // A plain record: no base class, no operations, no events.
    fw::ClassRecord::Build(kClassName, nullptr, [](fw::ClassRecord::Builder& builder) {
        builder.ClassAttribute("__Scope", "Public");
        builder.AddProperty("name", StringSetter(&directiveClass::name));
        builder.AddProperty("text", StringSetter(&directiveClass::text));
        builder.Creatable<directiveClass>();
    });
}

const fw::ClassRecord& directiveClass::Lookup()
{
    // The registry may have been emptied between runs, so the record is
    // looked up by name each time rather than cached.
    if (const fw::ClassRecord* record = fw::ClassRecord::Find(kClassName))
        return *record;
    ctblinit();
    return *fw::ClassRecord::Find(kClassName);
}

const fw::ClassRecord& directiveClass::Class() const
{
    return Lookup();
}

}
