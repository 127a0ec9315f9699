#include "framework/ClassRecord.h"
#include "framework/Object.h"

#include <gtest/gtest.h>

namespace {

// Counts its own destruction, and on the way out tries to reach itself
// through a weak reference, as a stale handler binding would.
class Tracked : public fw::Object {
public:
    static fw::Ref<Tracked> Create(int* destroyed) { return fw::Adopt(*new Tracked(destroyed)); }

    ~Tracked() override
    {
        ++*m_destroyed;
        if (m_self.Lock())
            ++*m_destroyed; // must not happen: counts as a second destruction
    }

    void WatchSelf() { m_self = fw::WeakPtr<Tracked>(this); }

protected:
    explicit Tracked(int* destroyed)
        : m_destroyed(destroyed)
    {
    }

private:
    int* m_destroyed;
    fw::WeakPtr<Tracked> m_self;
};

TEST(ObjectTest, LastReferenceDestroysTheObjectExactlyOnce)
{
    int destroyed = 0;
    {
        fw::Ref<Tracked> first = Tracked::Create(&destroyed);
        EXPECT_EQ(first->RefCount(), 1);
        {
            fw::Ref<Tracked> second = first;
            fw::RefPtr<Tracked> third = first;
            EXPECT_EQ(first->RefCount(), 3);
            fw::RefPtr<Tracked> moved = std::move(third);
            EXPECT_TRUE(third.IsNil());
            EXPECT_EQ(first->RefCount(), 3);
        }
        EXPECT_EQ(first->RefCount(), 1);
        EXPECT_EQ(destroyed, 0);
    }
    EXPECT_EQ(destroyed, 1);
}

TEST(ObjectTest, MovedFromRefStaysUsable)
{
    int destroyed = 0;
    fw::Ref<Tracked> source = Tracked::Create(&destroyed);
    fw::Ref<Tracked> target = std::move(source);
    EXPECT_EQ(source.Ptr(), target.Ptr());
    EXPECT_EQ(target->RefCount(), 2);
}

TEST(ObjectTest, WeakPointerGoesNilWhenTheObjectDies)
{
    int destroyed = 0;
    fw::WeakPtr<Tracked> weak;
    {
        fw::Ref<Tracked> object = Tracked::Create(&destroyed);
        object->WatchSelf();
        weak = fw::WeakPtr<Tracked>(object.Ptr());
        ASSERT_TRUE(weak.IsAlive());
        fw::RefPtr<Tracked> locked = weak.Lock();
        EXPECT_EQ(locked.Get(), object.Ptr());
        EXPECT_EQ(object->RefCount(), 2);
    }
    EXPECT_EQ(destroyed, 1) << "the object's own destructor reached it through a weak reference";
    EXPECT_FALSE(weak.IsAlive());
    EXPECT_TRUE(weak.Lock().IsNil());
    EXPECT_TRUE(fw::WeakPtr<Tracked>().Lock().IsNil());
}

TEST(ObjectTest, UsingANilRefPtrRaisesNilObjectException)
{
    fw::RefPtr<Tracked> nil;
    EXPECT_THROW(nil->WatchSelf(), fw::NilObjectException);
    EXPECT_THROW(*nil, fw::NilObjectException);
    EXPECT_THROW(nil.ToRef(), fw::NilObjectException);
    EXPECT_NO_THROW(nil.Clear());
    EXPECT_FALSE(nil);
    EXPECT_TRUE(nil == nullptr);
}

TEST(ObjectTest, EveryObjectHasTheObjectRecord)
{
    int destroyed = 0;
    fw::Ref<Tracked> object = Tracked::Create(&destroyed);
    EXPECT_EQ(fw::Object::Lookup().Name(), "Object");
    EXPECT_EQ(&object->Class(), &fw::Object::Lookup());
    EXPECT_EQ(fw::Object::Lookup().Base(), nullptr);
}

}
