#pragma once

#include "BootConfig.h"

#include <QHash>

// One reading of a configuration, as both readers go through it: each file
// fetched once however often it is included, the files open at once counted
// as the loader's stack counts them, and the bounds of Limits.h on lines,
// bytes, file openings and what is kept. The first bound met stops the
// reading for good, with a message that names the place and the bound.
class ConfigReading {
public:
    // nesting: the files the module can have open before it hangs; module:
    // its name for messages.
    ConfigReading(const BootFiles& files, int nesting, const char* module);

    // Before a file is opened from a place (line 0 for the top file): false
    // when the reading stops there.
    bool Open(const ConfigPlace& from);
    void Close() { --m_open; }
    // The file's bytes, or why there are none.
    const BootFiles::Fetched& Fetch(const QByteArray& imagePath);
    // Before a file's bytes are read from a place; false when the reading
    // stops there instead.
    bool Bytes(const ConfigPlace& from, qsizetype bytes);
    // Before a line is read; false when the reading stops.
    bool Line(const ConfigPlace& place);
    // Before something of kind (for the message) is kept; false when the
    // reading stops instead.
    bool Keep(const ConfigPlace& place, qint64 kept, qint64 most, const char* kind);

    bool Stopped() const { return m_stop.has_value(); }
    const std::optional<ConfigStop>& Stop() const { return m_stop; }

private:
    void Limit(const ConfigPlace& place, const QString& message);

    const BootFiles& m_files;
    int m_nesting;
    const char* m_module;
    QHash<QByteArray, BootFiles::Fetched> m_fetched;
    int m_open = 0;
    int m_openings = 0;
    qint64 m_lines = 0;
    qint64 m_bytes = 0;
    std::optional<ConfigStop> m_stop;
};

// Why a file of the set was not read, in words for a message ("it is not
// there", "it leads out of the image" ...).
QString FailureText(BootFiles::Fetched::Failure failure, const QString& reason);
