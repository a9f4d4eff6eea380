#include "TextStream.h"

#include "ConsoleSinks.h"

#include "common/Exceptions.h"

#include <iostream>
#include <utility>

TextStream::TextStream(std::ios& bound)
    : m_bound(bound)
{
}

TextStream::~TextStream() { Unbind(); }

void TextStream::Bind()
{
    m_previous = m_bound.rdbuf(this);
    m_previousFlags = m_bound.flags();
    m_bound.clear();
    // Flush at the end of every write statement.
    m_bound.setf(std::ios::unitbuf);
}

void TextStream::Unbind()
{
    if (!m_previous)
        return;
    m_bound.rdbuf(m_previous);
    m_bound.flags(m_previousFlags);
    m_bound.clear();
    m_previous = nullptr;
}

void TextStream::OpenForReading()
{
    mode = Mode::Input;
    SetInput(0);
    if (open)
        open(*this);
    Bind();
}

void TextStream::OpenForWriting()
{
    mode = Mode::Output;
    EmptyOutput();
    if (open)
        open(*this);
    Bind();
}

void TextStream::Close()
{
    if (mode == Mode::Closed)
        return;
    if (mode == Mode::Output && transfer)
        transfer(*this);
    if (close)
        close(*this);
    Unbind();
    mode = Mode::Closed;
    open = transfer = flush = close = nullptr;
    deviceData = nullptr;
}

TextStream::int_type TextStream::overflow(int_type character)
{
    if (mode != Mode::Output || !transfer || !Call(transfer))
        return traits_type::eof();
    if (!traits_type::eq_int_type(character, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(character);
        pbump(1);
    }
    return traits_type::not_eof(character);
}

int TextStream::sync()
{
    if (mode == Mode::Output && flush && !Call(flush))
        return -1;
    return 0;
}

TextStream::int_type TextStream::underflow()
{
    if (mode != Mode::Input || !transfer || !Call(transfer))
        return traits_type::eof();
    return gptr() == egptr() ? traits_type::eof() : traits_type::to_int_type(*gptr());
}

bool TextStream::Call(const Callback& callback)
{
    try {
        callback(*this);
        return true;
    } catch (...) {
        m_error = std::current_exception();
        return false;
    }
}

void TextStream::ThrowPendingError()
{
    if (!m_error)
        return;
    m_bound.clear();
    EmptyOutput();
    std::rethrow_exception(std::exchange(m_error, nullptr));
}

void WriteStandardOutput(std::string_view text)
{
    if (StandardOutput().mode != TextStream::Mode::Output)
        throw Exception("Standard output is not open for the console");
    std::cout << text;
    StandardOutput().ThrowPendingError();
}

TextStream& StandardOutput()
{
    static TextStream stream(std::cout);
    return stream;
}

TextStream& StandardInput()
{
    static TextStream stream(std::cin);
    return stream;
}

void StandardOutputSink::Write(std::string_view bytes)
{
    for (std::size_t i = 0; i < bytes.size(); ++i)
        WriteStandardOutput(bytes.substr(i, 1));
}
