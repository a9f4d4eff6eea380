#include "editor/window/IntegerText.h"

#include "editor/document/EditorErrors.h"
#include <QCoreApplication>

std::optional<std::int32_t> ParseInteger(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    int base = 10;
    if (i < text.size() && (text[i] == u'$' || text[i] == u'x' || text[i] == u'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size())
        return std::nullopt;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char16_t character = text[i].unicode();
        int digit;
        if (character >= u'0' && character <= u'9')
            digit = character - u'0';
        else if (base == 16 && character >= u'a' && character <= u'f')
            digit = character - u'a' + 10;
        else if (base == 16 && character >= u'A' && character <= u'F')
            digit = character - u'A' + 10;
        else
            return std::nullopt;
        value = value * base + digit;
        if (value > std::int64_t(INT32_MAX) + 1)
            return std::nullopt;
    }
    value = negative ? -value : value;
    if (value > INT32_MAX || value < INT32_MIN)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::int32_t StrToInt(const QString& text)
{
    if (std::optional<std::int32_t> value = ParseInteger(text))
        return *value;
    // An empty field is no mistake but a step left out: the detail says what to type.
    throw EConvertError(QCoreApplication::translate("IntegerText", "'%1' is not a valid integer value").arg(text),
        text.isEmpty() ? QCoreApplication::translate(
            "IntegerText", "Type the code first: a number from 0 to 255, or $00 to $FF in hexadecimal.")
                       : QString());
}
