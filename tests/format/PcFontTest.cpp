// FONT files as the loader reads them (core/font.c): the header's checks
// and 256 glyphs, from the file's own bytes. The loader opens FONT files
// without its zlib layer; in QEMU a gzip'd font leaves vesamenu.c32 in the
// ROM's glyphs, as a missing one does.
#include "format/PcFont.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <zlib.h>

namespace {

QByteArray Font(int mode, int height, qsizetype glyphBytes)
{
    const char header[] = { '\x36', '\x04', char(mode), char(height) };
    return QByteArray(header, 4) + QByteArray(glyphBytes, '\x5a');
}

// The bytes as gzip (16 + MAX_WBITS) or zlib (MAX_WBITS) writes them.
QByteArray Deflated(const QByteArray& bytes, int windowBits)
{
    z_stream stream {};
    deflateInit2(&stream, 9, Z_DEFLATED, windowBits, 9, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&stream, uLong(bytes.size()))) + 32, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = uInt(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.truncate(qsizetype(stream.total_out));
    deflateEnd(&stream);
    return out;
}

}

TEST(PcFontTest, Psf1FilesAsTheLoaderTakesThem)
{
    const QByteArray font = Font(2, 14, 256 * 14);
    const struct {
        const char* name;
        QByteArray bytes;
        int height; // 0: refused
    } rows[] = {
        { "plain", font, 14 },
        { "512 glyphs, the first 256 taken", Font(3, 16, 512 * 16), 16 },
        { "2 rows", Font(0, 2, 256 * 2), 2 },
        { "32 rows and more bytes after them", Font(5, 32, 256 * 32 + 1000), 32 },
        { "glyphs cut short", font.left(4 + 256 * 14 - 1), 0 },
        { "mode above 5", Font(6, 14, 256 * 14), 0 },
        { "1 row", Font(0, 1, 256), 0 },
        { "33 rows", Font(0, 33, 256 * 33), 0 },
        { "a PSF2 font", QByteArray("\x72\xb5\x4a\x86") + font, 0 },
        { "gzip'd", Deflated(font, 16 + MAX_WBITS), 0 },
        { "zlib", Deflated(font, MAX_WBITS), 0 },
    };
    for (const auto& row : rows) {
        const std::optional<PcFont> read = Psf1Font(row.bytes);
        EXPECT_EQ(read ? read->height : 0, row.height) << row.name;
        if (read) {
            EXPECT_EQ(read->rows.size(), 256u * std::size_t(row.height)) << row.name;
            EXPECT_EQ(read->rows.back(), 0x5a) << row.name;
        }
    }
}
