#pragma once

#include "Color.h"
#include "Object.h"

#include <cstdint>
#include <string>
#include <variant>

namespace fw {

// The framework's dynamically typed value: what property lists carry, what
// generic operations take and return, and what Str accepts as a Variant.
// std::monostate stands for "no value" (an operation without a result).
using Variant = std::variant<std::monostate, int32_t, bool, float, double, Color, std::string, RefPtr<Object>>;

// The framework's name of the type a Variant holds ("Int32", "Boolean",
// "Single", "Double", "Color", "String", "Object", or "Nothing").
const char* VariantTypeName(const Variant& value);

}
