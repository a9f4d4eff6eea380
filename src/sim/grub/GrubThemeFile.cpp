#include "GrubThemeFile.h"

#include "common/Limits.h"

#include <cstdint>

namespace {

bool Space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }
bool IdentifierChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
}

// The properties GRUB's loader takes for the screen itself.
bool ScreenProperty(const QByteArray& name)
{
    static const char* const names[] = { "title-font", "message-font", "terminal-font", "title-color", "message-color",
        "message-bg-color", "desktop-image", "desktop-image-scale-method", "desktop-image-h-align",
        "desktop-image-v-align", "desktop-color", "terminal-box", "terminal-border", "terminal-left", "terminal-top",
        "terminal-width", "terminal-height", "title-text" };
    for (const char* known : names) {
        if (name == known)
            return true;
    }
    return false;
}

bool KnownType(const QByteArray& type)
{
    static const char* const types[]
        = { "label", "image", "vbox", "hbox", "canvas", "progress_bar", "circular_progress", "boot_menu" };
    for (const char* known : types) {
        if (type == known)
            return true;
    }
    return false;
}

bool Container(const QByteArray& type) { return type == "vbox" || type == "hbox" || type == "canvas"; }

class Parser {
public:
    explicit Parser(const QByteArray& text)
        : m_text(text)
    {
    }
    bool More() const { return m_at < m_text.size(); }
    char Peek() const { return More() ? m_text[m_at] : '\0'; }
    char Read() { return More() ? m_text[m_at++] : '\0'; }
    void SkipSpace()
    {
        while (More() && Space(Peek()))
            ++m_at;
    }
    void SkipLine()
    {
        while (More() && Read() != '\n') { }
    }
    QByteArray Identifier()
    {
        SkipSpace();
        const qsizetype start = m_at;
        while (More() && IdentifierChar(Peek()))
            ++m_at;
        return m_text.mid(start, m_at - start);
    }
    std::optional<QByteArray> Expression();
    bool Object(std::vector<GrubThemeComponent>& into, QString& problem, int depth = 0);

private:
    const QByteArray& m_text;
    qsizetype m_at = 0;
};

std::optional<QByteArray> Parser::Expression()
{
    SkipSpace();
    if (!More())
        return std::nullopt;
    const qsizetype start = m_at;
    if (Peek() == '"') {
        const qsizetype end = m_text.indexOf('"', start + 1);
        m_at = end < 0 ? m_text.size() : end + 1;
        return m_text.mid(start + 1, (end < 0 ? m_text.size() : end) - start - 1);
    }
    if (Peek() == '(') {
        const qsizetype end = m_text.indexOf(')', start);
        m_at = end < 0 ? m_text.size() : end + 1;
        return m_text.mid(start, m_at - start);
    }
    while (More() && !Space(Peek()))
        ++m_at;
    return m_text.mid(start, m_at - start);
}

bool Parser::Object(std::vector<GrubThemeComponent>& into, QString& problem, int depth)
{
    if (depth >= Limits::GrubThemeNesting) {
        problem = QStringLiteral("components nested more than %1 deep").arg(Limits::GrubThemeNesting);
        return false;
    }
    GrubThemeComponent component { Identifier(), {}, {} };
    if (!KnownType(component.type)) {
        problem = QStringLiteral("unknown object type `%1'").arg(QString::fromUtf8(component.type));
        return false;
    }
    SkipSpace();
    if (Read() != '{') {
        problem = QStringLiteral("expected `{' after object type name `%1'").arg(QString::fromUtf8(component.type));
        return false;
    }
    while (More()) {
        SkipSpace();
        if (Peek() == '}') {
            Read();
            break;
        }
        if (Peek() == '#') {
            SkipLine();
            continue;
        }
        if (Peek() == '+') {
            Read();
            if (!Container(component.type)) {
                problem = QStringLiteral("attempted to add object to non-container");
                return false;
            }
            if (!Object(component.children, problem, depth + 1))
                return false;
            continue;
        }
        const QByteArray name = Identifier();
        SkipSpace();
        if (name.isEmpty() || Read() != '=') {
            problem = QStringLiteral("expected `=' after property name `%1'").arg(QString::fromUtf8(name));
            return false;
        }
        const std::optional<QByteArray> value = Expression();
        if (!value) {
            problem = QStringLiteral("expression expected in theme file");
            return false;
        }
        component.properties.emplace_back(name, *value);
    }
    into.push_back(std::move(component));
    return true;
}

}

std::optional<QByteArray> GrubThemeComponent::Value(const char* name) const
{
    std::optional<QByteArray> value;
    for (const auto& [key, given] : properties) {
        if (key == name)
            value = given;
    }
    return value;
}

std::optional<QByteArray> GrubThemeFile::Value(const char* name) const
{
    std::optional<QByteArray> value;
    for (const auto& [key, given] : properties) {
        if (key == name)
            value = given;
    }
    return value;
}

GrubThemeReading ReadGrubTheme(const QByteArray& text)
{
    GrubThemeFile theme;
    Parser parser(text);
    QString problem;
    while (parser.More()) {
        if (parser.Peek() == '#') {
            parser.SkipLine();
            continue;
        }
        parser.SkipSpace();
        if (parser.Peek() == '+') {
            parser.Read();
            if (!parser.Object(theme.components, problem))
                return { std::nullopt, problem };
            continue;
        }
        const QByteArray name = parser.Identifier();
        if (name.isEmpty()) {
            parser.SkipLine();
            continue;
        }
        parser.SkipSpace();
        if (parser.Read() != ':')
            return { std::nullopt,
                QStringLiteral("missing separator after property name `%1'").arg(QString::fromUtf8(name)) };
        parser.SkipSpace();
        if (parser.Peek() != '"')
            return { std::nullopt, QStringLiteral("property value invalid; enclose literal values in quotes") };
        const QByteArray value = parser.Expression().value_or(QByteArray());
        if (!ScreenProperty(name))
            return { std::nullopt, QStringLiteral("unknown property `%1'").arg(QString::fromUtf8(name)) };
        theme.properties.emplace_back(name, value);
    }
    return { std::move(theme), {} };
}

int GrubProportional(const QByteArray& value, int parentSize)
{
    std::int64_t pixels = 0;
    std::int64_t fraction = 0; // 16.16
    qsizetype at = 0;
    while (at < value.size()) {
        bool negative = false;
        while (at < value.size() && (value[at] == '-' || value[at] == '+'))
            negative ^= value[at++] == '-';
        std::int64_t number = 0;
        const qsizetype digits = at;
        while (at < value.size() && value[at] >= '0' && value[at] <= '9')
            number = std::min<std::int64_t>(number * 10 + (value[at++] - '0'), 1 << 24);
        if (negative)
            number = -number;
        if (at < value.size() && value[at] == '%') {
            fraction += number * 65536 / 100;
            ++at;
        } else {
            pixels += number;
        }
        if (at == digits && at < value.size() && value[at] != '%')
            ++at; // a character strtoul stops at without reading it
    }
    return int(std::int64_t(parentSize) * fraction / 65536 + pixels);
}
