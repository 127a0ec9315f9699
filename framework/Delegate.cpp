#include "Delegate.h"

#include "ClassRecord.h"

namespace fw {

Ref<Delegate> Delegate::ForRoutine(const std::string& signature, CallableEntry routine)
{
    return Adopt(*new Delegate(signature, std::move(routine)));
}

Ref<Delegate> Delegate::ForMethod(const std::string& signature, Object& target, const std::string& operation)
{
    // The operation is resolved now, so the delegate keeps calling the
    // implementation that the target's class had when it was made.
    const MemberEntry* entry = &target.Class().Operation(operation);
    WeakPtr<Object> weakTarget(&target);
    CallableEntry call = [weakTarget, entry](const std::vector<Variant>& args) -> Variant {
        RefPtr<Object> self = weakTarget.Lock();
        if (!self)
            throw NilObjectException("the object of the delegate for " + entry->name + " is gone");
        return entry->Invoke(*self, args);
    };
    return Adopt(*new Delegate(signature, std::move(call)));
}

namespace {

const ClassRecord& ctblinit()
{
    return ClassRecord::Build("Delegate", &Object::Lookup(), [](ClassRecord::Builder& builder) {
        builder.ClassAttribute("__Scope", "Public");
    });
}

}

const ClassRecord& Delegate::Lookup()
{
    static const ClassRecord& record = ctblinit();
    return record;
}

const ClassRecord& Delegate::Class() const
{
    return Lookup();
}

}
