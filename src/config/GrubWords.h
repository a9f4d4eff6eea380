#pragma once

#include "GrubConfig.h"

// grub.cfg cut into words, separators and braces, as GRUB's script lexer
// cuts it; GrubConfig.cpp builds the commands from them.
namespace GrubWords {

enum class TokenKind { Word, Separator, Open, Close };

struct Token {
    TokenKind kind = TokenKind::Word;
    GrubWord word;
    bool plain = false; // no quote, escape or variable: it may be a keyword
    int line = 0, endLine = 0; // where it starts and ends
    qsizetype begin = 0, end = 0; // its bytes in the text
};

using Lookup = std::function<QByteArray(const QByteArray& name)>;

// Whether c ends an unquoted word.
bool Ends(char c);
// The tokens of text, at most limit of them; the error where it cannot go on.
std::optional<GrubConfigError> Cut(QByteArrayView text, std::vector<Token>& tokens, qsizetype limit);
// A word's raw text read again, its variables replaced by lookup's values.
QByteArray Expand(QByteArrayView raw, const Lookup& lookup);

}
