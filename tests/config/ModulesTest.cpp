// A COM32 module's libraries as the loader finds them
// (com32/lib/sys/module/elf_module.c, i386/elf_module.c): its ELF tables
// read inside the file only, at most 64 DT_NEEDED names, each cut to its
// last path component.
#include "config/Modules.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

void Put(QByteArray& bytes, qsizetype at, quint32 value, int size = 4)
{
    for (int i = 0; i < size; ++i)
        bytes[at + i] = char(value >> (8 * i));
}

struct Shape {
    QByteArrayList names;
    int needed = -1; // DT_NEEDED entries, all naming names[0]; -1 one per name
    quint32 dynamicSize = 0; // PT_DYNAMIC's size as the header claims it; 0 the real one
    quint32 programHeaders = 2;
    bool strings = true; // a DT_STRTAB
};

// A 32-bit ELF image: one loaded segment over the whole file, its dynamic
// section at byte 116, the string table after it.
QByteArray Module(const Shape& shape)
{
    const int needed = shape.needed < 0 ? int(shape.names.size()) : shape.needed;
    const qsizetype dynamic = 116, strings = dynamic + 8 * (needed + 2);
    QByteArray table(1, '\0');
    std::vector<quint32> offsets;
    for (const QByteArray& name : shape.names) {
        offsets.push_back(quint32(table.size()));
        table += name + '\0';
    }
    QByteArray bytes(strings + table.size(), '\0');
    bytes.replace(0, 7,
        "\x7f"
        "ELF\x01\x01\x01");
    Put(bytes, 16, 3, 2), Put(bytes, 18, 3, 2), Put(bytes, 28, 52), Put(bytes, 42, 32, 2);
    Put(bytes, 44, shape.programHeaders, 2);
    Put(bytes, 52, 1), Put(bytes, 52 + 16, quint32(bytes.size())), Put(bytes, 52 + 20, quint32(bytes.size()));
    Put(bytes, 84, 2), Put(bytes, 84 + 4, dynamic), Put(bytes, 84 + 8, dynamic);
    Put(bytes, 84 + 16, shape.dynamicSize ? shape.dynamicSize : quint32(strings - dynamic));
    for (int i = 0; i < needed; ++i)
        Put(bytes, dynamic + 8 * i, 1), Put(bytes, dynamic + 8 * i + 4, offsets[std::size_t(shape.needed < 0 ? i : 0)]);
    if (shape.strings)
        Put(bytes, dynamic + 8 * needed, 5), Put(bytes, dynamic + 8 * needed + 4, quint32(strings));
    bytes.replace(strings, table.size(), table);
    return bytes;
}

}

TEST(ModulesTest, LibrariesAsTheLoaderLoadsThem)
{
    QByteArray huge = Module({ { QByteArray(256 << 10, 'x') }, 32768, 0xFFFFFFF0 });
    huge.chop(1); // the long name ends with the file
    const struct {
        const char* name;
        QByteArray bytes;
        QByteArrayList libraries;
        const char* problem;
    } rows[] = {
        { "two", Module({ { "libutil.c32", "libcom32.c32" } }), { "libutil.c32", "libcom32.c32" }, "" },
        { "paths cut to their last part", Module({ { "../../lib/a.c32", "/b.c32" } }), { "a.c32", "b.c32" }, "" },
        { "an empty name skipped", Module({ { "", "c.c32" } }), { "c.c32" }, "" },
        { "a name of no file", Module({ { "dir/" } }), {}, "which names no file" },
        { "64 needed", Module({ { "d.c32" }, 64 }), QByteArrayList(64, "d.c32"), "" },
        { "65 needed", Module({ { "d.c32" }, 65 }), {}, "Too many dependencies!" },
        { "a huge DT_NEEDED table", huge, {}, "Too many dependencies!" },
        { "a name as long as the loader keeps", Module({ { QByteArray(255, 'y') } }), { QByteArray(255, 'y') }, "" },
        { "a name longer than the loader keeps", Module({ { QByteArray(256, 'x') } }), {}, "the loader keeps 255" },
        { "no string table", Module({ { "e.c32" }, -1, 0, 2, false }), {}, "" },
        { "program headers past the end", Module({ { "f.c32" }, -1, 0, 65535 }), {}, "reach past the end" },
        { "no ELF", QByteArray("MZ") + QByteArray(100, '\0'), {}, "" },
    };
    for (const auto& row : rows) {
        const ModuleLibraries read = ReadModuleLibraries(row.bytes);
        EXPECT_EQ(read.names, row.libraries) << row.name;
        EXPECT_TRUE(read.problem.contains(QLatin1String(row.problem)))
            << row.name << ": " << read.problem.toStdString();
        EXPECT_EQ(read.problem.isEmpty(), *row.problem == 0) << row.name;
    }
    const QString debian = QStringLiteral("/usr/lib/syslinux/modules/bios/");
    if (!QFile::exists(debian + "vesamenu.c32"))
        GTEST_SKIP() << "Debian's syslinux-common is not installed";
    QFile vesamenu(debian + "vesamenu.c32");
    ASSERT_TRUE(vesamenu.open(QIODevice::ReadOnly));
    EXPECT_EQ(NeededLibraries(vesamenu.readAll()), (QByteArrayList { "libutil.c32", "libcom32.c32" }));
}
