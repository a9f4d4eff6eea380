#include "Modules.h"

#include <cstdint>
#include <optional>

namespace {

// Little-endian fields of an ELF32 file, checked against its size.
struct Elf32 {
    QByteArrayView bytes;

    std::optional<std::uint32_t> Word(qint64 at) const
    {
        if (at < 0 || at + 4 > bytes.size())
            return std::nullopt;
        const auto byte = [&](qint64 i) { return static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[i])); };
        return byte(at) | byte(at + 1) << 8 | byte(at + 2) << 16 | byte(at + 3) << 24;
    }
    std::optional<std::uint32_t> Half(qint64 at) const
    {
        if (at < 0 || at + 2 > bytes.size())
            return std::nullopt;
        return static_cast<std::uint8_t>(bytes[at]) | static_cast<std::uint8_t>(bytes[at + 1]) << 8;
    }
};

constexpr std::uint32_t LoadSegment = 1, DynamicSegment = 2;
constexpr std::uint32_t Needed = 1, StringTable = 5;

}

QByteArrayList NeededLibraries(QByteArrayView bytes)
{
    const Elf32 elf { bytes };
    if (bytes.size() < 52
        || !bytes.startsWith("\x7f"
                             "ELF")
        || bytes[4] != 1 || bytes[5] != 1)
        return {};
    const auto programs = elf.Word(28), entrySize = elf.Half(42), count = elf.Half(44);
    if (!programs || !entrySize || !count || *entrySize < 32)
        return {};
    struct Segment {
        std::uint32_t type, offset, address, size;
    };
    std::vector<Segment> segments;
    for (std::uint32_t index = 0; index < *count; ++index) {
        const qint64 at = *programs + static_cast<qint64>(index) * *entrySize;
        const auto type = elf.Word(at), offset = elf.Word(at + 4), address = elf.Word(at + 8), size = elf.Word(at + 16);
        if (!type || !offset || !address || !size)
            return {};
        segments.push_back({ *type, *offset, *address, *size });
    }
    // A virtual address in the file, through the loaded segment that holds it.
    const auto fileOffset = [&](std::uint32_t address) -> std::optional<qint64> {
        for (const Segment& segment : segments) {
            if (segment.type == LoadSegment && address >= segment.address && address - segment.address < segment.size)
                return static_cast<qint64>(segment.offset) + (address - segment.address);
        }
        return std::nullopt;
    };
    QByteArrayList libraries;
    for (const Segment& dynamic : segments) {
        if (dynamic.type != DynamicSegment)
            continue;
        std::vector<std::uint32_t> needed;
        std::optional<qint64> strings;
        for (qint64 at = dynamic.offset; at + 8 <= static_cast<qint64>(dynamic.offset) + dynamic.size; at += 8) {
            const auto tag = elf.Word(at), value = elf.Word(at + 4);
            if (!tag || !value || *tag == 0)
                break;
            if (*tag == Needed)
                needed.push_back(*value);
            else if (*tag == StringTable)
                strings = fileOffset(*value);
        }
        for (std::uint32_t name : needed) {
            const qint64 at = strings.value_or(-1) + name;
            if (!strings || at >= bytes.size())
                continue;
            const qint64 end = bytes.indexOf('\0', at);
            libraries << bytes.sliced(at, (end < 0 ? bytes.size() : end) - at).toByteArray();
        }
    }
    return libraries;
}
