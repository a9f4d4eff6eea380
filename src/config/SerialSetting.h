#pragma once

#include <QByteArray>

#include <optional>

// A SERIAL line as ldlinux.c32 reads it (readconfig.c): the port as
// strtoul reads it with base 0 (0-3 are the BIOS's COM1-COM4, anything else
// an I/O address), then the baud rate as atoi reads it (9600 when none is
// written) and flow control; the rate's divisor of 115200, cut to 16 bits.
struct SerialSetting {
    quint16 port = 0;
    quint32 baud = 9600; // as written
    quint16 divisor = 12;
    quint32 flow = 0;

    bool IsComPort() const { return port <= 3; }
    // The rate the port really runs at; 0 for a divisor of 0, which no UART takes.
    quint32 Speed() const { return divisor == 0 ? 0 : 115200u / divisor; }
};

// Nothing when the loader turns the port off instead (a rate under 75).
std::optional<SerialSetting> ReadSerialSetting(const QByteArray& argument);
