#include "GrubWords.h"

#include <cctype>

namespace GrubWords {

namespace {

bool NameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool NameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool Special(char c) { return c == '?' || c == '#' || c == '@' || c == '*'; }

struct Reader {
    QByteArrayView text;
    qsizetype pos = 0;
    int line = 1;
    const Lookup* lookup = nullptr;
    std::optional<GrubConfigError> error;

    char At(qsizetype i) const { return i < text.size() ? text[i] : '\0'; }

    // $name ${name} $12 $? … at pos (a '$'): as written, or its value.
    bool Variable(QByteArray& out)
    {
        const qsizetype start = pos;
        qsizetype nameBegin = pos + 1, nameEnd = pos + 1;
        bool braced = At(pos + 1) == '{';
        if (braced)
            nameBegin = nameEnd = pos + 2;
        if (NameStart(At(nameEnd))) {
            while (nameEnd < text.size() && NameChar(text[nameEnd]))
                ++nameEnd;
        } else if (std::isdigit(static_cast<unsigned char>(At(nameEnd)))) {
            while (nameEnd < text.size() && std::isdigit(static_cast<unsigned char>(text[nameEnd])))
                ++nameEnd;
        } else if (Special(At(nameEnd)) && nameEnd < text.size()) {
            ++nameEnd;
        }
        if (nameEnd == nameBegin || (braced && At(nameEnd) != '}')) {
            // GRUB's reader refuses a $ that names no variable, in quotes too.
            error = GrubConfigError { line, "a $ that names no variable (write \\$ for the sign itself)" };
            return false;
        }
        pos = nameEnd + (braced ? 1 : 0);
        const QByteArray name = text.sliced(nameBegin, nameEnd - nameBegin).toByteArray();
        out.append(lookup ? (*lookup)(name) : text.sliced(start, pos - start).toByteArray());
        return true;
    }

    void Unclosed(char quote, int openedOn)
    {
        error = GrubConfigError { openedOn,
            QByteArray("the ") + quote + " opened here is never closed: GRUB cannot read the rest of the file" };
    }

    bool SingleQuoted(QByteArray& out)
    {
        const int openedOn = line;
        const qsizetype close = text.indexOf('\'', pos + 1);
        if (close < 0) {
            Unclosed('\'', openedOn);
            return false;
        }
        const QByteArrayView inside = text.sliced(pos + 1, close - pos - 1);
        line += static_cast<int>(inside.count('\n'));
        out.append(inside);
        pos = close + 1;
        return true;
    }

    // Inside "…" a backslash escapes only $ " \ and a newline (dropped with it).
    bool DoubleQuoted(QByteArray& out)
    {
        const int openedOn = line;
        ++pos;
        while (pos < text.size() && text[pos] != '"') {
            const char c = text[pos];
            if (c == '\\' && pos + 1 < text.size()) {
                const char next = text[pos + 1];
                if (next == '\n')
                    ++line;
                else if (next == '$' || next == '"' || next == '\\')
                    out.append(next);
                else
                    out.append(text.sliced(pos, 2));
                pos += 2;
            } else if (c == '$') {
                if (!Variable(out))
                    return false;
            } else {
                if (c == '\n')
                    ++line;
                out.append(c);
                ++pos;
            }
        }
        if (pos >= text.size()) {
            Unclosed('"', openedOn);
            return false;
        }
        ++pos;
        return true;
    }

    // One word from pos (not a blank, separator or brace); plain when it
    // holds no quote, escape or variable, so a keyword can be one.
    bool Word(QByteArray& out, bool& plain)
    {
        plain = true;
        while (pos < text.size() && !Ends(text[pos])) {
            const char c = text[pos];
            if (c == '\\') {
                plain = false;
                if (pos + 1 >= text.size()) {
                    error = GrubConfigError { line, "a \\ at the end of the file escapes nothing" };
                    return false;
                }
                if (At(pos + 1) == '\n')
                    ++line;
                else
                    out.append(text[pos + 1]);
                pos += 2;
            } else if (c == '\'') {
                plain = false;
                if (!SingleQuoted(out))
                    return false;
            } else if (c == '"' || (c == '$' && At(pos + 1) == '"')) {
                plain = false;
                pos += c == '$' ? 1 : 0;
                if (!DoubleQuoted(out))
                    return false;
            } else if (c == '$') {
                plain = false;
                if (!Variable(out))
                    return false;
            } else {
                out.append(c);
                ++pos;
            }
        }
        return true;
    }
};

}

bool Ends(char c)
{
    switch (c) {
    case ' ':
    case '\t':
    case '\r':
    case '\n':
    case ';':
    case '{':
    case '}':
    case '|':
    case '&':
    case '<':
    case '>': return true;
    default: return false;
    }
}

std::optional<GrubConfigError> Cut(QByteArrayView text, std::vector<Token>& tokens, qsizetype limit)
{
    Reader reader;
    reader.text = text;
    while (reader.pos < text.size()) {
        if (static_cast<qsizetype>(tokens.size()) >= limit)
            return GrubConfigError { reader.line, "more words than Glimra reads in one grub.cfg" };
        const char c = text[reader.pos];
        Token token;
        token.line = reader.line;
        token.begin = reader.pos;
        if (c == ' ' || c == '\t' || c == '\r') {
            ++reader.pos;
            continue;
        }
        if (c == '\\' && reader.At(reader.pos + 1) == '\n') {
            reader.pos += 2;
            ++reader.line;
            continue;
        }
        if (c == '#') {
            // A comment starts where a word could; inside a word # is a byte.
            while (reader.pos < text.size() && text[reader.pos] != '\n')
                ++reader.pos;
            continue;
        }
        if (c == ';' && reader.At(reader.pos + 1) == ';') {
            return GrubConfigError { reader.line, "GRUB's script has no ;; (case is not part of it)" };
        } else if (c == '\n' || c == ';') {
            token.kind = TokenKind::Separator;
            reader.line += c == '\n' ? 1 : 0;
            ++reader.pos;
        } else if (c == '{' || c == '}') {
            token.kind = c == '{' ? TokenKind::Open : TokenKind::Close;
            ++reader.pos;
        } else if (c == '|' || c == '&' || c == '<' || c == '>') {
            return GrubConfigError { reader.line,
                QByteArray("GRUB's script has no ") + c + " (pipes and redirections): quote it to keep it in a word" };
        } else {
            token.kind = TokenKind::Word;
            if (!reader.Word(token.word.text, token.plain))
                return reader.error;
        }
        token.end = reader.pos;
        token.endLine = reader.line - (token.kind == TokenKind::Separator && c == '\n' ? 1 : 0);
        token.word.raw = text.sliced(token.begin, token.end - token.begin).toByteArray();
        tokens.push_back(std::move(token));
    }
    return std::nullopt;
}

QByteArray Expand(QByteArrayView raw, const Lookup& lookup)
{
    Reader reader;
    reader.text = raw;
    reader.lookup = &lookup;
    QByteArray out;
    bool plain = true;
    while (reader.pos < raw.size()) {
        // A raw word holds no blanks outside quotes; copy any that come.
        if (Ends(raw[reader.pos])) {
            out.append(raw[reader.pos++]);
            continue;
        }
        if (!reader.Word(out, plain))
            break;
    }
    return out;
}

}
