#pragma once

#include "Console.h"
#include "format/ByteSink.h"

// Straight into a console's write path, a run at a time. Never touches the
// process's standard output.
class ConsoleSink : public ByteSink {
public:
    explicit ConsoleSink(TConsole& console)
        : m_console(console)
    {
    }
    void Write(std::string_view bytes) override { m_console.WriteString(bytes); }

private:
    TConsole& m_console;
};

// Through the standard output stream, one byte per write statement, each
// flushed at once, to whatever console serves the stream.
class StandardOutputSink : public ByteSink {
public:
    void Write(std::string_view bytes) override;
};
