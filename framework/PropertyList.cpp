#include "PropertyList.h"

#include "ClassRecord.h"

namespace fw {

void SetProperties(Object& object, const PropertyList& list)
{
    const ClassRecord& record = object.Class();
    for (const auto& [key, value] : list) {
        const ClassRecord::PropertySetter* setter = record.FindProperty(key);
        if (!setter)
            throw TypeMismatchException(record.Name() + " has no property '" + key + "'");
        Variant variant = std::visit([](const auto& held) { return Variant(held); }, value);
        try {
            (*setter)(object, variant);
        } catch (const TypeMismatchException& e) {
            throw TypeMismatchException(record.Name() + " property '" + key + "': " + e.what());
        }
    }
}

}
