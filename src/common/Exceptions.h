#pragma once

#include <stdexcept>
#include <string>
#include <utility>

// Errors carry the text the user sees in the general error box, and may
// carry a detail shown below it (the file and the system's reason, say).
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message, std::string detail = {})
        : std::runtime_error(message)
        , m_detail(std::move(detail))
    {
    }
    const std::string& Detail() const { return m_detail; }

private:
    std::string m_detail;
};

// A console font that fails the fixed-pitch test.
class EInvalidFont : public Exception {
public:
    using Exception::Exception;
};

// An operation that cannot run in the control's current state.
class EInvalidOperation : public Exception {
public:
    using Exception::Exception;
};

// An index outside a list: "List index out of bounds (%d)".
class EListError : public Exception {
public:
    explicit EListError(long long index)
        : Exception("List index out of bounds (" + std::to_string(index) + ")")
    {
    }
};
