#pragma once

#include <QByteArray>

#include <cstdio>
#include <cstdlib>

// Stops the fuzzer with a message when an invariant is broken.
inline void Require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

// Every CR is followed by LF and every LF preceded by CR.
inline bool OnlyCrLfBreaks(const QByteArray& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))
            return false;
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            return false;
    }
    return true;
}
