#pragma once

#include <QString>

#include <exception>
#include <functional>
#include <ios>
#include <streambuf>
#include <string_view>

// One of the process-wide standard text streams (std::cout, std::cin) as a
// device stream: a 128-character buffer and callbacks that a device (the
// console) installs. While open it is the std::ios object's stream buffer;
// a write statement on std::cout reaches the device before it returns.
class TextStream : public std::streambuf {
public:
    enum class Mode { Closed, Input, Output };
    using Callback = std::function<void(TextStream&)>;
    static constexpr int BufferSize = 128;

    explicit TextStream(std::ios& bound);
    ~TextStream() override;

    Mode mode = Mode::Closed;
    int handle = 0;
    Callback open;
    Callback transfer;
    Callback flush;
    Callback close;
    void* deviceData = nullptr;
    QString name;

    void OpenForReading();
    void OpenForWriting();
    // An output stream passes what is still buffered to the device first.
    void Close();

    // The device's view of the buffer.
    char* Buffer() { return m_buffer; }
    int BufferedCount() const { return static_cast<int>(pptr() - pbase()); }
    void EmptyOutput() { setp(m_buffer, m_buffer + BufferSize); }
    void SetInput(int end) { setg(m_buffer, m_buffer, m_buffer + end); }

    // The streams library turns a device's exception into a bad bit (and
    // cannot let one out of the flush that ends a statement), so the error is
    // kept here; this rethrows it and makes the stream usable again.
    void ThrowPendingError();

protected:
    int_type overflow(int_type character) override;
    int sync() override;
    int_type underflow() override;

private:
    bool Call(const Callback& callback);
    void Bind();
    void Unbind();

    char m_buffer[BufferSize];
    std::ios& m_bound;
    std::streambuf* m_previous = nullptr;
    std::ios::fmtflags m_previousFlags {};
    std::exception_ptr m_error;
};

// std::cout and std::cin as device streams.
TextStream& StandardOutput();
TextStream& StandardInput();

// One write statement on std::cout that reports a device error, or the
// stream not being served by a console, to its caller.
void WriteStandardOutput(std::string_view text);
