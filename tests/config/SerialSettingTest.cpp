// SERIAL's words as ldlinux.c32's reader takes them.
#include "config/SerialSetting.h"

#include <gtest/gtest.h>

TEST(SerialSettingTest, PortRateAndFlow)
{
    const struct {
        const char* argument;
        int port; // -1: the port is turned off
        quint32 speed;
        quint32 flow;
    } rows[] = {
        { "0", 0, 9600, 0 }, { "  1 115200", 1, 115200, 0 }, { "0x3f8 38400 0xab3", 0x3f8, 38400, 0xab3 },
        { "010 19200", 8, 19200, 0 }, // octal, as strtoul reads base 0
        { "0 57600x", 0, 57600, 0 }, { "2 300", 2, 300, 0 },
        { "0 110", 0, 110, 0 }, // 115200 / 110 = 1047: the port runs at 110
        { "0 200000", 0, 0, 0 }, // a divisor of 0
        { "0 74", -1, 0, 0 }, { "0 abc", -1, 0, 0 }, // atoi of letters is 0
        { "0 -9600", 0, 9600, 0 }, // '-' is no letter: the rate is not read
    };
    for (const auto& row : rows) {
        const std::optional<SerialSetting> setting = ReadSerialSetting(row.argument);
        ASSERT_EQ(setting.has_value(), row.port >= 0) << row.argument;
        if (!setting)
            continue;
        EXPECT_EQ(setting->port, row.port) << row.argument;
        EXPECT_EQ(setting->Speed(), row.speed) << row.argument;
        EXPECT_EQ(setting->flow, row.flow) << row.argument;
        EXPECT_EQ(setting->IsComPort(), row.port <= 3) << row.argument;
    }
}
