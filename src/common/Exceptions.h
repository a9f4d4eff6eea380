#pragma once

#include <stdexcept>
#include <string>

// Errors carry the text the user sees in the general error box.
class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
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
