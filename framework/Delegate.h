#pragma once

#include "Object.h"
#include "Variant.h"

#include <functional>
#include <string>
#include <vector>

namespace fw {

// What the framework keeps of a delegate: a plain callable. It stays valid
// after the delegate object that made it is released.
using CallableEntry = std::function<Variant(const std::vector<Variant>& args)>;

// A callable bound to a routine and, for a method, to an object, with the
// signature text it was made for ("(  )", "(  ) as Boolean",
// "( Ptr, Ptr ) as Object"). A method delegate refers to its object weakly:
// calling it after the object is gone raises NilObjectException.
class Delegate : public Object {
public:
    static Ref<Delegate> ForRoutine(const std::string& signature, CallableEntry routine);
    static Ref<Delegate> ForMethod(const std::string& signature, Object& target, const std::string& operation);

    static const ClassRecord& Lookup();
    const ClassRecord& Class() const override;

    const std::string& Signature() const { return m_signature; }
    CallableEntry Entry() const { return m_entry; }
    Variant Invoke(const std::vector<Variant>& args = {}) const { return m_entry(args); }

private:
    Delegate(std::string signature, CallableEntry entry)
        : m_signature(std::move(signature))
        , m_entry(std::move(entry))
    {
    }
    std::string m_signature;
    CallableEntry m_entry;
};

}
