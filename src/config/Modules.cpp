#include "Modules.h"

#include "common/Limits.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace {

constexpr std::uint32_t LoadSegment = 1, DynamicSegment = 2;
constexpr std::uint32_t Needed = 1, StringTable = 5;

struct Segment {
    std::uint32_t type, offset, address, size;
};

std::optional<std::uint32_t> Word(QByteArrayView bytes, qint64 at)
{
    if (at < 0 || at + 4 > bytes.size())
        return std::nullopt;
    std::uint32_t value = 0;
    for (qint64 i = at + 3; i >= at; --i)
        value = value << 8 | static_cast<std::uint8_t>(bytes[i]);
    return value;
}

// A little-endian ELF32 image as the loader maps it: each loaded segment's
// file bytes at its address, zeros past them.
class Image {
public:
    explicit Image(QByteArrayView bytes)
        : m_bytes(bytes)
    {
    }
    std::optional<std::uint32_t> Word(qint64 at) const { return ::Word(m_bytes, at); }
    std::uint32_t Half(qint64 at) const { return Word(at).value_or(0) & 0xFFFF; }
    QString ReadSegments();
    std::optional<std::uint32_t> DynamicAddress() const;
    // The file bytes at a loaded address, up to the end of its segment's.
    QByteArrayView At(std::uint32_t address) const;

private:
    QByteArrayView m_bytes;
    std::vector<Segment> m_segments;
};

QString Image::ReadSegments()
{
    const qint64 table = Word(28).value_or(0), entrySize = Half(42), count = Half(44);
    if (entrySize < 32 && count > 0)
        return QStringLiteral("its program headers are %1 bytes each, fewer than ELF32's 32").arg(entrySize);
    if (table + count * entrySize > m_bytes.size())
        return QStringLiteral("its %1 program headers at byte %2 reach past the end of its %3 bytes")
            .arg(count)
            .arg(table)
            .arg(m_bytes.size());
    for (qint64 at = table; at < table + count * entrySize; at += entrySize)
        m_segments.push_back({ *Word(at), *Word(at + 4), *Word(at + 8), *Word(at + 16) });
    return {};
}

// The last PT_DYNAMIC's address, as load_segments keeps it.
std::optional<std::uint32_t> Image::DynamicAddress() const
{
    std::optional<std::uint32_t> address;
    for (const Segment& segment : m_segments) {
        if (segment.type == DynamicSegment)
            address = segment.address;
    }
    return address;
}

QByteArrayView Image::At(std::uint32_t address) const
{
    for (const Segment& segment : m_segments) {
        if (segment.type != LoadSegment || address < segment.address || address - segment.address >= segment.size)
            continue;
        const qint64 start = qint64(segment.offset) + (address - segment.address);
        const qint64 end = std::min<qint64>(qint64(segment.offset) + segment.size, m_bytes.size());
        return start < end ? m_bytes.sliced(start, end - start) : QByteArrayView();
    }
    return {};
}

// A name the string table holds at that address, or why not.
std::optional<QByteArray> NameAt(const Image& image, std::uint32_t address, QString& problem)
{
    const QByteArrayView bytes = image.At(address);
    const qsizetype end = bytes.indexOf('\0');
    const qsizetype length = end < 0 ? bytes.size() : end;
    if (length > Limits::ModuleNameBytes) {
        problem = QStringLiteral("it names a library of %1 bytes or more; the loader keeps %2")
                      .arg(length)
                      .arg(Limits::ModuleNameBytes);
        return std::nullopt;
    }
    return bytes.first(length).toByteArray();
}

}

ModuleLibraries ReadModuleLibraries(QByteArrayView bytes)
{
    ModuleLibraries read;
    if (bytes.size() < 52
        || !bytes.startsWith("\x7f"
                             "ELF")
        || bytes[4] != 1 || bytes[5] != 1)
        return read;
    Image image(bytes);
    read.problem = image.ReadSegments();
    if (!read.problem.isEmpty())
        return read;
    const std::optional<std::uint32_t> dynamic = image.DynamicAddress();
    const QByteArrayView entries = dynamic ? image.At(*dynamic) : QByteArrayView();
    std::vector<std::uint32_t> needed;
    std::optional<std::uint32_t> strings;
    // Up to DT_NULL; the zeros past the segment's file bytes are one.
    for (qsizetype at = 0; at + 8 <= entries.size(); at += 8) {
        const std::uint32_t tag = *Word(entries, at), value = *Word(entries, at + 4);
        if (tag == 0)
            break;
        if (tag == Needed && needed.size() == Limits::ModuleLibraries) {
            read.problem = QStringLiteral("it needs more than %1 libraries (DT_NEEDED): the loader says \"Too many "
                                          "dependencies!\"")
                               .arg(Limits::ModuleLibraries);
            return read;
        }
        if (tag == Needed)
            needed.push_back(value);
        else if (tag == StringTable)
            strings = value;
    }
    for (const std::uint32_t offset : strings ? needed : std::vector<std::uint32_t>()) {
        const std::optional<QByteArray> name = NameAt(image, *strings + offset, read.problem);
        if (!name) {
            read.names.clear();
            return read;
        }
        // elf_module.c: "strip everything but the last component"; an
        // empty name is skipped, a name ending in '/' loads nothing.
        const QByteArray last = name->mid(name->lastIndexOf('/') + 1);
        if (!name->isEmpty() && last.isEmpty()) {
            read.problem = QStringLiteral("it needs \"%1\", which names no file: the loader fails to load it")
                               .arg(QString::fromLatin1(*name));
            read.names.clear();
            return read;
        }
        if (!name->isEmpty())
            read.names << last;
    }
    return read;
}

QByteArrayList NeededLibraries(QByteArrayView elf) { return ReadModuleLibraries(elf).names; }
