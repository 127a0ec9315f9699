#include "Object.h"

#include "ClassRecord.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

namespace fw {

namespace {

[[noreturn]] void Fatal(const char* message, int count)
{
    std::fprintf(stderr, "fw::Object: %s (reference count %d)\n", message, count);
    std::abort();
}

}

Object::~Object()
{
    // A constructor that throws unwinds through here with the creator's
    // reference still counted; only a destruction outside that path is a bug.
    if (m_refCount != 0 && std::uncaught_exceptions() == 0)
        Fatal("object destroyed while still referenced", m_refCount);
    if (m_weakLink)
        m_weakLink->object = nullptr;
}

void Object::Release() const
{
    if (m_refCount <= 0)
        Fatal("released more often than referenced", m_refCount);
    if (--m_refCount != 0)
        return;
    // Weak references go dead before any destructor runs, so a derived
    // destructor can never be handed its own half-destroyed object.
    if (m_weakLink)
        m_weakLink->object = nullptr;
    delete this;
}

std::shared_ptr<Object::WeakLink> Object::GetWeakLink() const
{
    // An object already on its way out hands out a dead link.
    if (!m_weakLink)
        m_weakLink = std::make_shared<WeakLink>(WeakLink { m_refCount > 0 ? const_cast<Object*>(this) : nullptr });
    return m_weakLink;
}

const ClassRecord& Object::Class() const
{
    return Lookup();
}

namespace {

const ClassRecord& ctblinit()
{
    return ClassRecord::Build("Object", nullptr, [](ClassRecord::Builder& builder) {
        builder.ClassAttribute("__Scope", "Public");
    });
}

}

const ClassRecord& Object::Lookup()
{
    static const ClassRecord& record = ctblinit();
    return record;
}

}
