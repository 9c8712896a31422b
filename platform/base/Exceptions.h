// The exception family that every module raises and catches.
#pragma once

#include <stdexcept>
#include <string>

namespace menvaro {

// Root of the family. Message is UTF-8 text shown to the user as it stands.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const noexcept { return message_; }
    void SetMessage(std::string m) { message_ = std::move(m); }

private:
    std::string message_;
};

#define MENVARO_EXCEPTION(Name, Base)      \
    class Name : public Base {             \
    public:                                \
        using Base::Base;                  \
    };

// Silent exception: ends an action without a message.
class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
    using Exception::Exception;
};

MENVARO_EXCEPTION(EConvertError, Exception)
MENVARO_EXCEPTION(EInvalidOperation, Exception)
MENVARO_EXCEPTION(EInvalidArgument, Exception)
MENVARO_EXCEPTION(EListError, Exception)
MENVARO_EXCEPTION(EStringListError, EListError)
MENVARO_EXCEPTION(EVariantError, Exception)
MENVARO_EXCEPTION(EOutOfMemory, Exception)
MENVARO_EXCEPTION(EMathError, Exception)
MENVARO_EXCEPTION(EZeroDivide, EMathError)
MENVARO_EXCEPTION(EOverflow, EMathError)
MENVARO_EXCEPTION(ERangeError, Exception)
MENVARO_EXCEPTION(EStreamError, Exception)
MENVARO_EXCEPTION(EReadError, EStreamError)
MENVARO_EXCEPTION(EWriteError, EStreamError)
MENVARO_EXCEPTION(EFOpenError, EStreamError)
MENVARO_EXCEPTION(EFCreateError, EStreamError)
MENVARO_EXCEPTION(EInOutError, Exception)

// An operating-system call failed. ErrorCode is the errno value; the message
// carries the system's error text.
class EOSError : public Exception {
public:
    EOSError(std::string message, int errorCode)
        : Exception(std::move(message)), errorCode_(errorCode) {}
    int ErrorCode() const noexcept { return errorCode_; }

private:
    int errorCode_;
};

// Raises EOSError for errno `err`: "<what>: <system text>".
[[noreturn]] void RaiseLastOSError(const std::string& what, int err);
// Raises EOSError for the current errno.
[[noreturn]] void RaiseLastOSError(const std::string& what);
// The system's text for an errno value.
std::string SysErrorMessage(int err);

// Ends the current action silently.
[[noreturn]] void Abort();

}  // namespace menvaro
