#pragma once

#include "Color.h"
#include "Object.h"

#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace fw {

// A design-time property list: (key, typed value) pairs applied in order.
using PropertyValue = std::variant<int32_t, bool, float, Color, std::string>;
using PropertyList = std::vector<std::pair<std::string, PropertyValue>>;

// _SetProperties: sets each property through its setter in the class record,
// in list order. An unknown key or a value of the wrong type raises
// TypeMismatchException naming the class and the key; entries before it stay
// applied.
void SetProperties(Object& object, const PropertyList& list);

}
