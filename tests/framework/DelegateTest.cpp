#include "framework/ClassRecord.h"
#include "framework/Delegate.h"

#include <gtest/gtest.h>

namespace {

using fw::ClassRecord;

class Counter : public fw::Object {
public:
    static fw::Ref<Counter> Create() { return fw::Adopt(*new Counter()); }
    static const ClassRecord& Lookup()
    {
        return ClassRecord::Build("DelegateTest.Counter", &fw::Object::Lookup(), [](ClassRecord::Builder& b) {
            b.Method("Bump", "%b%", &Counter::Bump);
        });
    }
    const ClassRecord& Class() const override { return Lookup(); }

    bool Bump() { return ++count < 3; }
    int count = 0;
};

TEST(DelegateTest, RoutineDelegateCallsItsRoutine)
{
    int calls = 0;
    fw::Ref<fw::Delegate> d = fw::Delegate::ForRoutine("(  ) as Boolean", [&](const std::vector<fw::Variant>&) -> fw::Variant {
        ++calls;
        return true;
    });
    EXPECT_EQ(d->Signature(), "(  ) as Boolean");
    EXPECT_EQ(&d->Class(), &fw::Delegate::Lookup());
    fw::CallableEntry entry = d->Entry();
    d = fw::Delegate::ForRoutine("(  )", nullptr);
    EXPECT_EQ(std::get<bool>(entry({})), true) << "the entry outlives its delegate";
    EXPECT_EQ(calls, 1);
}

TEST(DelegateTest, MethodDelegateHoldsItsTargetWeakly)
{
    fw::RefPtr<Counter> counter = Counter::Create();
    fw::Ref<fw::Delegate> d = fw::Delegate::ForMethod("(  ) as Boolean", *counter, "Bump");
    EXPECT_EQ(counter->RefCount(), 1) << "the delegate must not keep its target alive";
    EXPECT_EQ(std::get<bool>(d->Invoke()), true);
    EXPECT_EQ(counter->count, 1);

    counter = nullptr;
    EXPECT_THROW(d->Invoke(), fw::NilObjectException);
    EXPECT_THROW(fw::Delegate::ForMethod("(  )", *Counter::Create(), "Missing"), fw::TypeMismatchException);
}

}
