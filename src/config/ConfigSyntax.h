#pragma once

#include <QByteArray>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>

// How the loader and its menus read a configuration line: their blank,
// keyword and word tests, and the fgets-sized lines a file is cut into.
namespace ConfigSyntax {

inline bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

inline const char* SkipBlanks(const char* p)
{
    while (*p && IsBlank(*p))
        ++p;
    return p;
}

// Letters compared without their case bit, and the keyword must end at a
// blank or the line's end. What follows it, or nothing.
inline const char* LookingAt(const char* line, const char* keyword)
{
    const char* p = line;
    const char* q = keyword;
    while (*p && *q && ((*p ^ *q) & ~0x20) == 0) {
        ++p;
        ++q;
    }
    if (*q)
        return nullptr;
    return IsBlank(*p) ? p : nullptr;
}

inline QByteArray Word(const char* p)
{
    const char* end = p;
    while (*end && !IsBlank(*end))
        ++end;
    return QByteArray(p, end - p);
}

inline int Number(const char* p) { return std::atoi(SkipBlanks(p)); }

// TIMEOUT and TOTALTIMEOUT from tenths to milliseconds, as both readers
// work them out, (n * 1000 + 9) / 10: TIMEOUT in the 32-bit int it wraps
// in (30,000,000 comes out negative), TOTALTIMEOUT in a 64-bit long long.
inline int TimeoutMs(int tenths)
{
    const auto times = static_cast<std::uint32_t>(tenths) * 1000u + 9u;
    return static_cast<std::int32_t>(times) / 10;
}
inline long long TotalTimeoutMs(long long tenths)
{
    const auto times = static_cast<std::uint64_t>(tenths) * 1000u + 9u;
    return static_cast<std::int64_t>(times) / 10;
}

// "F1".."F12" and "F0" (which is F11) followed by a blank: the key's index.
inline const char* FunctionKeyAt(const char* p, int& index)
{
    if ((p[0] | 0x20) != 'f')
        return nullptr;
    const char* q = p + 1;
    const char* digits = SkipBlanks(q);
    bool negative = false;
    if (*digits == '+' || *digits == '-')
        negative = *digits++ == '-';
    long number = 0;
    const char* end = digits;
    while (*end >= '0' && *end <= '9' && number < 1000)
        number = number * 10 + (*end++ - '0');
    if (end != digits)
        q = end;
    if (!IsBlank(*q))
        return nullptr;
    if (negative || number > 12)
        return nullptr;
    index = number == 0 ? 10 : static_cast<int>(number) - 1;
    return q;
}

// A file read as fgets reads it into a 4096-byte buffer: each piece is a
// line of up to 4095 bytes with its LF. The callback gets the buffer, which
// it may cut, and the piece's line number from 1. What the buffer held
// before stays behind the terminator, as in the loader's buffer.
template <typename Callback> void ForEachLine(const QByteArray& bytes, Callback&& callback)
{
    constexpr qsizetype LineSize = 4096;
    std::array<char, LineSize + 8> buffer {};
    qsizetype at = 0;
    int line = 1;
    while (at < bytes.size()) {
        qsizetype length = 0;
        while (length < LineSize - 1 && at + length < bytes.size()) {
            if (bytes[at + length++] == '\n')
                break;
        }
        std::memcpy(buffer.data(), bytes.constData() + at, static_cast<std::size_t>(length));
        buffer[static_cast<std::size_t>(length)] = '\0';
        const bool endsLine = bytes[at + length - 1] == '\n';
        at += length;
        callback(buffer.data(), line);
        if (endsLine)
            ++line;
    }
}

// A line cut at its first CR and its first LF, as both readers cut it.
inline char* CutLine(char* line)
{
    if (char* cr = std::strchr(line, '\r'))
        *cr = '\0';
    if (char* lf = std::strchr(line, '\n'))
        *lf = '\0';
    return line;
}

}
