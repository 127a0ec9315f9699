#pragma once

#include "framework/ClassRecord.h"
#include "framework/Object.h"

#include <string>

namespace tockamo {

// One directive line of the preferences file: the lower-cased name between
// "#" and the first blank, and everything after that blank, untrimmed.
class directiveClass : public fw::Object {
public:
    static fw::Ref<directiveClass> Create();
    static const fw::ClassRecord& Lookup();
    static void ctblinit();
    const fw::ClassRecord& Class() const override;

    std::string name;
    std::string text;

protected:
    directiveClass() = default;
};

}
