#pragma once

#include <stdexcept>
#include <string>

// The framework's exception family. Every failure the framework reports is one
// of these; an exception that no handler takes reaches the unhandled-exception
// handler of the application, which shows ClassName() and Message().
class RuntimeException : public std::exception {
public:
    explicit RuntimeException(std::string message = {}) : m_message(std::move(message)) {}

    const std::string& Message() const { return m_message; }
    virtual std::string ClassName() const { return "RuntimeException"; }
    const char* what() const noexcept override { return m_message.c_str(); }

private:
    std::string m_message;
};

#define DECLARE_RUNTIME_EXCEPTION(Name)                                       \
    class Name : public RuntimeException {                                    \
    public:                                                                   \
        using RuntimeException::RuntimeException;                             \
        std::string ClassName() const override { return #Name; }              \
    };

// Use of a missing object.
DECLARE_RUNTIME_EXCEPTION(NilObjectException)
// A value outside the range an operation accepts.
DECLARE_RUNTIME_EXCEPTION(OutOfBoundsException)
// A user-interface member used off the main thread.
DECLARE_RUNTIME_EXCEPTION(ThreadAccessingUIException)
// A design-time property list that cannot be applied.
DECLARE_RUNTIME_EXCEPTION(UnsupportedFormatException)

#undef DECLARE_RUNTIME_EXCEPTION
