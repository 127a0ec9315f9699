#include "Variant.h"

namespace fw {

const char* VariantTypeName(const Variant& value)
{
    struct Namer {
        const char* operator()(std::monostate) const { return "Nothing"; }
        const char* operator()(int32_t) const { return "Int32"; }
        const char* operator()(bool) const { return "Boolean"; }
        const char* operator()(float) const { return "Single"; }
        const char* operator()(double) const { return "Double"; }
        const char* operator()(const Color&) const { return "Color"; }
        const char* operator()(const std::string&) const { return "String"; }
        const char* operator()(const RefPtr<Object>&) const { return "Object"; }
    };
    return std::visit(Namer {}, value);
}

}
