#include "ConfigReading.h"

#include "common/Limits.h"

using Failure = BootFiles::Fetched::Failure;

ConfigReading::ConfigReading(const BootFiles& files, int nesting, const char* module)
    : m_files(files)
    , m_nesting(nesting)
    , m_module(module)
{
}

void ConfigReading::Limit(const ConfigPlace& place, const QString& message)
{
    if (!m_stop)
        m_stop = ConfigStop { ConfigStop::Kind::Limit, place, message + QStringLiteral(": Glimra reads no further") };
}

bool ConfigReading::Open(const ConfigPlace& from)
{
    if (m_stop)
        return false;
    if (m_open >= m_nesting) {
        m_stop = ConfigStop { ConfigStop::Kind::LoaderHangs, from,
            QStringLiteral("this opens a file while %1 are open, and %2 6.04 hangs here (it counts no depth; its "
                           "stack runs out)")
                .arg(m_nesting)
                .arg(QString::fromLatin1(m_module)) };
        return false;
    }
    if (++m_openings > Limits::ConfigFileReads) {
        Limit(from, QStringLiteral("more than %1 files opened in one reading").arg(Limits::ConfigFileReads));
        return false;
    }
    ++m_open;
    return true;
}

const BootFiles::Fetched& ConfigReading::Fetch(const QByteArray& imagePath)
{
    auto found = m_fetched.find(imagePath);
    if (found == m_fetched.end())
        found = m_fetched.insert(imagePath, m_files.Fetch(imagePath));
    return *found;
}

bool ConfigReading::Bytes(const ConfigPlace& from, qsizetype bytes)
{
    m_bytes += bytes;
    if (!m_stop && m_bytes > Limits::ConfigBytes)
        Limit(from,
            QStringLiteral("more than %1 MiB read in one reading, a file included again counted again")
                .arg(Limits::ConfigBytes >> 20));
    return !m_stop;
}

bool ConfigReading::Line(const ConfigPlace& place)
{
    if (!m_stop && ++m_lines > Limits::ConfigLines)
        Limit(place,
            QStringLiteral("more than %1 lines read in one reading, a file included again counted again")
                .arg(Limits::ConfigLines));
    return !m_stop;
}

bool ConfigReading::Keep(const ConfigPlace& place, qint64 kept, qint64 most, const char* kind)
{
    if (kept >= most)
        Limit(place, QStringLiteral("more than %1 %2").arg(most).arg(QString::fromLatin1(kind)));
    return !m_stop;
}

QString FailureText(Failure failure, const QString& reason)
{
    switch (failure) {
    case Failure::None: break;
    case Failure::Missing: return QStringLiteral("it is not there");
    case Failure::Outside: return QStringLiteral("it, or a link on its way, leads out of the image");
    case Failure::NotAFile:
        // The reason says what it is instead: "It is a FIFO, not a regular file".
        return reason.isEmpty() ? QStringLiteral("it is not a regular file") : reason.left(1).toLower() + reason.mid(1);
    case Failure::TooLarge: return QStringLiteral("it is %1").arg(reason);
    case Failure::Unreadable: return QStringLiteral("it cannot be read: %1").arg(reason);
    }
    return {};
}

QString StopText(const ConfigStop& stop)
{
    return QStringLiteral("%1 line %2: %3")
        .arg(QString::fromLatin1(stop.place.file))
        .arg(stop.place.line)
        .arg(stop.message);
}
