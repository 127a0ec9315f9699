#pragma once

#include "RuntimeException.h"

#include <cstddef>
#include <memory>
#include <type_traits>
#include <utility>

namespace fw {

// Ref<T> is a counted reference that is never null. It adopts the single
// reference that a freshly created object starts with (see Adopt), and every
// copy adds one.
template<typename T>
class Ref {
public:
    Ref(const Ref& other)
        : m_ptr(other.m_ptr)
    {
        m_ptr->AddRef();
    }
    template<typename U, typename = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    Ref(const Ref<U>& other)
        : m_ptr(other.Ptr())
    {
        m_ptr->AddRef();
    }
    Ref(Ref&& other) noexcept
        : m_ptr(other.m_ptr)
    {
        other.m_ptr->AddRef(); // a moved-from Ref stays valid and non-null
    }
    explicit Ref(T& object)
        : m_ptr(&object)
    {
        m_ptr->AddRef();
    }
    ~Ref() { m_ptr->Release(); }

    Ref& operator=(const Ref& other)
    {
        Ref copy(other);
        std::swap(m_ptr, copy.m_ptr);
        return *this;
    }

    T* operator->() const { return m_ptr; }
    T& operator*() const { return *m_ptr; }
    T* Ptr() const { return m_ptr; }

    bool operator==(const Ref& other) const { return m_ptr == other.m_ptr; }

    struct AdoptTag { };
    Ref(AdoptTag, T& object)
        : m_ptr(&object)
    {
    }

private:
    T* m_ptr;
};

// Takes over the initial reference of a newly constructed object.
template<typename T>
Ref<T> Adopt(T& object)
{
    return Ref<T>(typename Ref<T>::AdoptTag {}, object);
}

// RefPtr<T> is a counted reference that may be nil. Using it while nil raises
// NilObjectException, the framework's rule for nil objects.
template<typename T>
class RefPtr {
public:
    RefPtr() = default;
    RefPtr(std::nullptr_t) { }
    RefPtr(T* ptr)
        : m_ptr(ptr)
    {
        if (m_ptr)
            m_ptr->AddRef();
    }
    RefPtr(const RefPtr& other)
        : RefPtr(other.m_ptr)
    {
    }
    RefPtr(RefPtr&& other) noexcept
        : m_ptr(std::exchange(other.m_ptr, nullptr))
    {
    }
    template<typename U, typename = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    RefPtr(const RefPtr<U>& other)
        : RefPtr(other.Get())
    {
    }
    template<typename U, typename = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    RefPtr(const Ref<U>& other)
        : RefPtr(other.Ptr())
    {
    }
    ~RefPtr() { Clear(); }

    RefPtr& operator=(const RefPtr& other)
    {
        RefPtr copy(other);
        std::swap(m_ptr, copy.m_ptr);
        return *this;
    }
    RefPtr& operator=(RefPtr&& other) noexcept
    {
        RefPtr taken(std::move(other));
        std::swap(m_ptr, taken.m_ptr);
        return *this;
    }
    RefPtr& operator=(std::nullptr_t)
    {
        Clear();
        return *this;
    }

    // Drops the reference; the pointer is nil before the object is released,
    // so a destructor that looks at this RefPtr finds it empty.
    void Clear()
    {
        if (T* old = std::exchange(m_ptr, nullptr))
            old->Release();
    }

    T* operator->() const { return &Deref(); }
    T& operator*() const { return Deref(); }
    T* Get() const { return m_ptr; }
    explicit operator bool() const { return m_ptr != nullptr; }
    bool IsNil() const { return m_ptr == nullptr; }

    // The non-null form; raises NilObjectException when nil.
    Ref<T> ToRef() const { return Ref<T>(Deref()); }

    bool operator==(const RefPtr& other) const { return m_ptr == other.m_ptr; }
    bool operator==(std::nullptr_t) const { return m_ptr == nullptr; }

private:
    T& Deref() const
    {
        if (!m_ptr)
            throw NilObjectException();
        return *m_ptr;
    }

    T* m_ptr = nullptr;
};

}
