// The backgrounds Run Configuration keeps: read again only for another
// file, other bytes or another screen size, and no more kept than the bound.
#include "editor/configuration/BackgroundCache.h"
#include "common/Limits.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

namespace {

// A 2 x 2 PNG of one colour, which ReadBackground tiles over the screen.
QByteArray Png(QRgb colour)
{
    QImage image(2, 2, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

}

TEST(BackgroundCache, ReadsAgainOnlyWhatDiffers)
{
    const QByteArray red = Png(qRgb(255, 0, 0));
    const QByteArray blue = Png(qRgb(0, 0, 255));
    struct Step {
        const char* file;
        const QByteArray* bytes;
        int width;
        int decoded; // reads that decoded so far
    };
    const Step steps[] = {
        { "a.png", &red, 640, 1 }, { "a.png", &red, 640, 1 }, // kept
        { "a.png", &blue, 640, 2 }, // the file's new bytes
        { "a.png", &blue, 800, 3 }, // another screen
        { "b.png", &blue, 800, 4 }, // another file, though of the same bytes
        { "a.png", &blue, 800, 4 }, // both kept
    };
    BackgroundCache cache;
    for (const Step& step : steps) {
        const Vesa::Background read = cache.Read(step.file, *step.bytes, step.width, 480);
        const Vesa::Background expected = Vesa::ReadBackground(*step.bytes, step.width, 480);
        EXPECT_EQ(read.screen.width, step.width) << step.file;
        EXPECT_EQ(read.screen.pixels, expected.screen.pixels) << step.file << " " << step.width;
        EXPECT_EQ(read.problem, expected.problem);
        EXPECT_EQ(cache.Decoded(), step.decoded) << step.file << " " << step.width;
    }
    EXPECT_EQ(cache.Files(), 2u);
}

// Past the bound the longest unused goes; the one used last stays.
TEST(BackgroundCache, KeepsNoMoreThanItsBound)
{
    const QByteArray red = Png(qRgb(255, 0, 0));
    BackgroundCache cache;
    const qint64 one = qint64(1024) * 768 * 4;
    const int files = static_cast<int>(Limits::KeptBackgroundBytes / one) + 3;
    for (int index = 0; index < files; ++index)
        cache.Read(QByteArray::number(index), red, 1024, 768);
    EXPECT_LE(cache.Bytes(), Limits::KeptBackgroundBytes);
    EXPECT_LT(cache.Files(), std::size_t(files));
    EXPECT_GT(cache.Bytes(), Limits::KeptBackgroundBytes - 2 * one) << "as many as fit";
    cache.Read(QByteArray::number(files - 1), red, 1024, 768);
    EXPECT_EQ(cache.Decoded(), files) << "the last one kept";
    cache.Read("0", red, 1024, 768);
    EXPECT_EQ(cache.Decoded(), files + 1) << "the first one gone";
    // A picture larger than the bound is read, not kept.
    BackgroundCache small;
    small.Read("huge", red, 4096, 4096);
    EXPECT_EQ(small.Files(), 0u);
    EXPECT_EQ(small.Read("huge", red, 4096, 4096).screen.width, 4096);
}
