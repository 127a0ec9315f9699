#pragma once

#include "Ref.h"

#include <cstdint>
#include <memory>

namespace fw {

class ClassRecord;

// The root of every framework object: an intrusive reference count that
// starts at 1 (the creator adopts it with Adopt or a class's Create), and a
// weak link that handler bindings and backends use to find out whether the
// object is still alive.
class Object {
public:
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    virtual ~Object();

    void AddRef() const { ++m_refCount; }
    void Release() const;
    int RefCount() const { return m_refCount; }

    // The class record of the object's dynamic class.
    virtual const ClassRecord& Class() const;
    static const ClassRecord& Lookup();

    // Shared by every WeakPtr to this object; cleared when the object dies.
    struct WeakLink {
        Object* object;
    };
    std::shared_ptr<WeakLink> GetWeakLink() const;

protected:
    Object() = default;

private:
    mutable int m_refCount = 1;
    mutable std::shared_ptr<WeakLink> m_weakLink;
};

// A reference that does not keep its object alive. Lock() gives a counted
// reference, or nil once the object is gone.
template<typename T>
class WeakPtr {
public:
    WeakPtr() = default;
    WeakPtr(const T* object)
    {
        if (object)
            m_link = object->GetWeakLink();
    }

    RefPtr<T> Lock() const
    {
        if (!m_link || !m_link->object)
            return nullptr;
        return RefPtr<T>(static_cast<T*>(m_link->object));
    }
    bool IsAlive() const { return m_link && m_link->object; }

private:
    std::shared_ptr<Object::WeakLink> m_link;
};

}
