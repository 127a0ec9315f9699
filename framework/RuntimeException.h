#pragma once

#include <stdexcept>
#include <string>

namespace fw {

// The framework's exceptions are plain C++ exceptions. Every one of them is a
// RuntimeException, so the start-up code's single handler and the event
// loop's unhandled-exception report can catch them all in one place.
class RuntimeException : public std::runtime_error {
public:
    explicit RuntimeException(const std::string& message = "")
        : std::runtime_error(message)
    {
    }

    // The framework class name of the exception, shown by the
    // unhandled-exception report.
    virtual const char* ClassName() const { return "RuntimeException"; }
};

// Raised when a nil object is used.
class NilObjectException : public RuntimeException {
public:
    explicit NilObjectException(const std::string& message = "")
        : RuntimeException(message)
    {
    }
    const char* ClassName() const override { return "NilObjectException"; }
};

// Raised when user-interface state is touched from a thread other than the
// one that runs the event loop.
class ThreadAccessingUIException : public RuntimeException {
public:
    explicit ThreadAccessingUIException(const std::string& message = "")
        : RuntimeException(message)
    {
    }
    const char* ClassName() const override { return "ThreadAccessingUIException"; }
};

// Raised by property lists for an unknown key or a value of the wrong type,
// and by type-tested casts that are handed an object of an unrelated class.
class TypeMismatchException : public RuntimeException {
public:
    explicit TypeMismatchException(const std::string& message = "")
        : RuntimeException(message)
    {
    }
    const char* ClassName() const override { return "TypeMismatchException"; }
};

}
