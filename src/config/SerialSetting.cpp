#include "SerialSetting.h"

#include "ConfigSyntax.h"
#include "KernelLine.h"

#include <cctype>

namespace {

bool Alnum(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }

const char* SkipAlnum(const char* p)
{
    while (*p && Alnum(*p))
        ++p;
    return ConfigSyntax::SkipBlanks(p);
}

}

std::optional<SerialSetting> ReadSerialSetting(const QByteArray& argument)
{
    SerialSetting setting;
    const char* p = ConfigSyntax::SkipBlanks(argument.constData());
    // strtoul's digits, then whatever letters and digits follow them.
    setting.port = static_cast<quint16>(SysAppendNumber(ConfigSyntax::Word(p)));
    if (*p == '+' || *p == '-')
        ++p;
    p = SkipAlnum(p);
    if (Alnum(*p)) {
        setting.baud = static_cast<quint32>(ConfigSyntax::Number(p));
        p = SkipAlnum(p);
        if (Alnum(*p))
            setting.flow = SysAppendNumber(ConfigSyntax::Word(p));
    }
    if (setting.baud < 75)
        return std::nullopt;
    setting.divisor = static_cast<quint16>(115200u / setting.baud);
    return setting;
}
