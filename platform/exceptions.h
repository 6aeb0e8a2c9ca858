#pragma once
// Exception classes carrying fixed English message texts.

#include <stdexcept>
#include <string>

// Base of every exception this program raises on purpose.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string message() const { return what(); }
};

// A picture that cannot be read or is not of the claimed kind.
class EInvalidGraphic : public Exception {
public:
    explicit EInvalidGraphic(const std::string& message) : Exception(message) {}
};

// An allocation refused because of its size, or that failed.
class EOutOfMemory : public Exception {
public:
    EOutOfMemory() : Exception("Out of memory") {}
    explicit EOutOfMemory(const std::string& message) : Exception(message) {}
};

// Stream errors.
class EStreamError : public Exception {
public:
    explicit EStreamError(const std::string& message) : Exception(message) {}
};
class EReadError : public EStreamError {
public:
    EReadError() : EStreamError("Stream read error") {}
    explicit EReadError(const std::string& message) : EStreamError(message) {}
};
class EWriteError : public EStreamError {
public:
    EWriteError() : EStreamError("Stream write error") {}
    explicit EWriteError(const std::string& message) : EStreamError(message) {}
};
// A file that cannot be opened or created; the text names the file and the reason.
class EFOpenError : public EStreamError {
public:
    explicit EFOpenError(const std::string& message) : EStreamError(message) {}
};
class EFCreateError : public EStreamError {
public:
    explicit EFCreateError(const std::string& message) : EStreamError(message) {}
};

// An index outside a list or a bitmap.
class ERangeError : public Exception {
public:
    explicit ERangeError(const std::string& message) : Exception(message) {}
};

// A text that is not a number where a number is needed.
class EConvertError : public Exception {
public:
    explicit EConvertError(const std::string& message) : Exception(message) {}
};
