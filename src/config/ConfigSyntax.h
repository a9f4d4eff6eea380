#pragma once

#include "common/Limits.h"

#include <QByteArray>

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

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

// The loader's atoi and atoll (com32/lib/atox.c, strntoumax): one sign,
// decimal digits gathered in 64 bits that wrap, the result cut to the
// type's width; never undefined, whatever the digits.
// What the C library's number readers skip first: isspace's blanks, then
// one sign; true for a minus.
inline bool SkipToDigits(const char*& p)
{
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    const bool minus = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    return minus;
}

inline quint64 LoaderDigits(const char* p)
{
    const bool minus = SkipToDigits(p);
    quint64 value = 0;
    while (*p >= '0' && *p <= '9')
        value = value * 10 + static_cast<quint64>(*p++ - '0');
    return minus ? 0 - value : value;
}
inline int Number(const char* p) { return static_cast<int>(static_cast<quint32>(LoaderDigits(SkipBlanks(p)))); }
inline long long LongNumber(const char* p) { return static_cast<long long>(LoaderDigits(SkipBlanks(p))); }

// TIMEOUT and TOTALTIMEOUT in milliseconds as both readers compute them,
// (n * CLK_TCK + 9) / 10 with CLK_TCK 1000: in 32-bit int for TIMEOUT and
// 64-bit for TOTALTIMEOUT, products wrapping as the loader's imul does.
inline int TimeoutMs(const char* p) { return static_cast<int>(static_cast<quint32>(Number(p)) * 1000u + 9u) / 10; }
inline long long TotalTimeoutMs(const char* p)
{
    return static_cast<long long>(static_cast<quint64>(LongNumber(p)) * 1000u + 9u) / 10;
}

// Every keyword ldlinux.c32 6.04 knows at the start of a line, in the order
// its reader tries them (com32/elflink/ldlinux/readconfig.c); the kernel
// kinds are KernelKind's, in its order. F0-F12 are FunctionKeyAt's.
enum class Keyword {
    Menu,
    Text,
    Include,
    Append,
    Initrd,
    Label,
    FirstKind, // "none", then each kernel kind up to "config"
    Timeout = FirstKind + 11,
    TotalTimeout,
    OnTimeout,
    AllowOptions,
    IpAppend,
    SysAppend,
    Default,
    Ui,
    Display,
    Font,
    KbdMap,
    Implicit,
    Prompt,
    Console,
    NoEscape,
    NoComplete,
    NoHalt,
    OnError,
    PxeRetry,
    Serial,
    Say,
    Path,
    SendCookies,
    Count
};
inline constexpr std::array<const char*, static_cast<std::size_t>(Keyword::Count)> Keywords
    = { "menu", "text", "include", "append", "initrd", "label", "none", "localboot", "kernel", "linux", "boot", "bss",
          "pxe", "fdimage", "comboot", "com32", "config", "timeout", "totaltimeout", "ontimeout", "allowoptions",
          "ipappend", "sysappend", "default", "ui", "display", "font", "kbdmap", "implicit", "prompt", "console",
          "noescape", "nocomplete", "nohalt", "onerror", "pxeretry", "serial", "say", "path", "sendcookies" };

// What follows MENU for either reader: ldlinux.c32's and menu.c32's
// (com32/menu/readconfig.c) words, the layout numbers among them.
inline constexpr std::array<const char*, 51> MenuKeywords = { "label", "title", "default", "hide", "passwd", "shiftkey",
    "save", "nosave", "immediate", "noimmediate", "onerror", "master", "include", "background", "hidden", "hiddenkey",
    "clear", "autoboot", "tabmsg", "notabmsg", "passprompt", "color", "colour", "msgcolor", "msgcolour", "separator",
    "disable", "disabled", "indent", "begin", "end", "quit", "goto", "exit", "start", "help", "resolution", "width",
    "margin", "passwordmargin", "rows", "tabmsgrow", "cmdlinerow", "endrow", "passwordrow", "timeoutrow", "helpmsgrow",
    "helpmsgendrow", "hshift", "vshift", "hiddenrow" };

struct KeywordMatch {
    Keyword keyword;
    const char* rest; // just past the keyword
};
// The keyword a line starts with (after its blanks), as ldlinux.c32 finds it.
inline std::optional<KeywordMatch> KeywordAt(const char* p)
{
    for (std::size_t index = 0; index < Keywords.size(); ++index) {
        if (const char* rest = LookingAt(p, Keywords[index]))
            return KeywordMatch { static_cast<Keyword>(index), rest };
    }
    return std::nullopt;
}
// The index of the word after MENU that either reader knows, and where
// the word ends.
inline std::optional<std::size_t> MenuKeywordAt(const char* p, const char*& rest)
{
    for (std::size_t index = 0; index < MenuKeywords.size(); ++index) {
        if ((rest = LookingAt(p, MenuKeywords[index])))
            return index;
    }
    return std::nullopt;
}

// "F1".."F12" and "F0" (which is F11) followed by a blank: the key's index,
// and the number as written.
inline const char* FunctionKeyAt(const char* p, int& index, int* written = nullptr)
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
    if (written)
        *written = static_cast<int>(number);
    return q;
}

// A file read as fgets reads it into a 4096-byte buffer: each piece is a
// line of up to 4095 bytes with its LF. The callback gets the buffer, which
// it may cut, the piece's line number from 1 and whether the piece is the
// rest of a longer line; it returns false to stop. What the buffer held
// before stays behind the terminator, as in the loader's buffer.
template <typename Callback> void ForEachLine(const QByteArray& bytes, Callback&& callback)
{
    constexpr qsizetype LineSize = Limits::ConfigLineBytes + 1;
    std::array<char, LineSize + 8> buffer {};
    qsizetype at = 0;
    int line = 1;
    bool continues = false;
    while (at < bytes.size()) {
        const char* start = bytes.constData() + at;
        const qsizetype room = std::min<qsizetype>(LineSize - 1, bytes.size() - at);
        const void* lf = std::memchr(start, '\n', static_cast<std::size_t>(room));
        const qsizetype length = lf ? static_cast<const char*>(lf) - start + 1 : room;
        std::memcpy(buffer.data(), start, static_cast<std::size_t>(length));
        buffer[static_cast<std::size_t>(length)] = '\0';
        const bool endsLine = lf != nullptr;
        at += length;
        if (!callback(buffer.data(), line, continues))
            return;
        continues = !endsLine;
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
