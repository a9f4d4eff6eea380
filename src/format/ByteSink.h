#pragma once

#include <string_view>

// Where a rendering sends the bytes it shows. A sink may take a run of bytes
// in one call or pass them on one at a time; either way the receiver ends
// up the same.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void Write(std::string_view bytes) = 0;
};
