// MENU BACKGROUND files as vesamenu.c32 reads them
// (com32/lib/sys/vesa/background.c, vesacon_load_background): the kind by
// its first eight bytes, PNG first, then JPEG, then LSS16.
#include "VesaDecoders.h"

#include "common/Limits.h"

#include <array>

namespace Vesa {

namespace Decoders {

namespace {

std::uint16_t Word(QByteArrayView bytes, qsizetype at)
{
    return static_cast<std::uint16_t>(
        static_cast<std::uint8_t>(bytes[at]) | static_cast<std::uint8_t>(bytes[at + 1]) << 8);
}

bool IsLss16(QByteArrayView bytes) { return bytes.size() >= 8 && Word(bytes, 0) == 0xF33D && Word(bytes, 2) == 0x1413; }

constexpr qsizetype Lss16Header = 8 + 16 * 3;

// One row of run-length coded nybbles (read_lss16_file's state machine,
// begun afresh on each row): a nybble that repeats the last colour starts a
// run, its length in the next nybble, or 16 plus the next two when that one
// is 0. False when the bytes end first.
bool Lss16Row(
    QByteArrayView bytes, qsizetype& at, const std::array<Rgb, 16>& palette, Picture& screen, int y, int width)
{
    enum class State { Start, Count, Low, High } state = State::Start;
    bool half = false;
    std::uint8_t byte = 0;
    int previous = 0, count = 0, x = 0;
    while (x < width) {
        int nybble = byte >> 4;
        if (!half) {
            if (at >= bytes.size())
                return false;
            byte = static_cast<std::uint8_t>(bytes[at++]);
            nybble = byte & 0x0F;
        }
        half = !half;
        switch (state) {
        case State::Start:
            if (nybble != previous)
                screen.At(x++, y) = palette[static_cast<std::size_t>(previous = nybble)];
            else
                state = State::Count;
            continue;
        case State::Count:
            if (nybble == 0) {
                state = State::Low;
                continue;
            }
            count = nybble;
            break;
        case State::Low:
            count = nybble + 16;
            state = State::High;
            continue;
        case State::High: count += nybble << 4; break;
        }
        for (const int end = std::min(x + count, width); x < end; ++x)
            screen.At(x, y) = palette[static_cast<std::size_t>(previous)];
        state = State::Start;
    }
    return true;
}

}

namespace {

Outcome ReadLss16With(QByteArrayView bytes, Picture& screen, bool indexes)
{
    Outcome outcome;
    if (!IsLss16(bytes))
        return outcome;
    outcome.width = Word(bytes, 4);
    outcome.height = Word(bytes, 6);
    if (!FitsScreen(outcome, screen, "the LSS16 image", "does not take it for one"))
        return outcome;
    outcome.recognised = true;
    if (bytes.size() < Lss16Header) {
        outcome.problem = QStringLiteral("the LSS16 image ends inside its palette");
        return outcome;
    }
    std::array<Rgb, 16> palette = Lss16Levels(bytes);
    for (std::size_t i = 0; i < palette.size(); ++i) {
        Rgb colour = 0;
        for (int shift = 16; shift >= 0; shift -= 8)
            colour = colour << 8 | ((palette[i] >> shift & 63) * 255 / 63);
        palette[i] = indexes ? static_cast<Rgb>(i) : colour;
    }
    qsizetype at = Lss16Header;
    for (int y = 0; y < outcome.height; ++y) {
        if (!Lss16Row(bytes, at, palette, screen, y, outcome.width)) {
            outcome.problem = QStringLiteral("the LSS16 image ends in row %1 of %2").arg(y + 1).arg(outcome.height);
            return outcome;
        }
    }
    outcome.complete = true;
    return outcome;
}

}

std::array<Rgb, 16> Lss16Levels(QByteArrayView bytes)
{
    std::array<Rgb, 16> levels {};
    for (std::size_t i = 0; i < levels.size(); ++i) {
        for (qsizetype c = 0; c < 3; ++c) {
            const qsizetype at = 8 + 3 * static_cast<qsizetype>(i) + c;
            levels[i] = levels[i] << 8 | (at < bytes.size() ? static_cast<std::uint8_t>(bytes[at]) & 63u : 0u);
        }
    }
    return levels;
}

Outcome ReadLss16(QByteArrayView bytes, Picture& screen) { return ReadLss16With(bytes, screen, false); }

Outcome ReadLss16Indexes(QByteArrayView bytes, Picture& screen) { return ReadLss16With(bytes, screen, true); }

bool FitsScreen(Outcome& outcome, const Picture& screen, const char* picture, const char* verdict)
{
    if (outcome.width <= screen.width && outcome.height <= screen.height)
        return true;
    outcome.problem = QStringLiteral("%1 is %2 x %3, larger than the %4 x %5 screen: the loader %6")
                          .arg(QString::fromLatin1(picture))
                          .arg(outcome.width)
                          .arg(outcome.height)
                          .arg(screen.width)
                          .arg(screen.height)
                          .arg(QString::fromLatin1(verdict));
    return false;
}

void Tile(Picture& screen, int width, int height)
{
    if (width <= 0 || height <= 0)
        return;
    // Each row of the picture across, then those rows down.
    for (int y = 0; y < std::min(height, screen.height); ++y) {
        for (int x = width; x < screen.width; ++x)
            screen.At(x, y) = screen.At(x - width, y);
    }
    for (int y = height; y < screen.height; ++y)
        std::copy_n(&screen.At(0, y - height), screen.width, &screen.At(0, y));
}

}

Background ReadBackground(QByteArrayView bytes, int width, int height)
{
    Background read;
    if (width <= 0 || height <= 0 || qint64(width) * height * 4 > Limits::PictureBytes) {
        read.problem = QStringLiteral("a %1 x %2 screen is more than Glimra draws (%3 MiB of pixels)")
                           .arg(width)
                           .arg(height)
                           .arg(Limits::PictureBytes >> 20);
        return read;
    }
    read.screen = Picture(width, height);
    if (bytes.size() < 8) {
        read.problem = QStringLiteral("the file is shorter than any picture's header");
        return read;
    }
    using Reader = Decoders::Outcome (*)(QByteArrayView, Picture&);
    for (const Reader reader : { Reader(Decoders::ReadPng), Reader(Decoders::ReadJpeg), Reader(Decoders::ReadLss16) }) {
        const Decoders::Outcome outcome = reader(bytes, read.screen);
        if (outcome.recognised || !outcome.problem.isEmpty()) {
            read.problem = outcome.problem;
            read.width = outcome.width;
            read.height = outcome.height;
            read.tiled = reader != Reader(Decoders::ReadLss16);
            return read;
        }
    }
    read.problem = QStringLiteral("the file is no PNG, JPEG or LSS16 image");
    return read;
}

namespace {

// A reader's whole picture at the size its header gives, within the bound.
std::optional<Picture> Whole(QByteArrayView bytes, std::optional<std::pair<int, int>> size,
    Decoders::Outcome (*reader)(QByteArrayView, Picture&))
{
    if (!size || size->first <= 0 || size->second <= 0 || qint64(size->first) * size->second * 4 > Limits::PictureBytes)
        return std::nullopt;
    Picture picture(size->first, size->second);
    return reader(bytes, picture).complete ? std::optional(std::move(picture)) : std::nullopt;
}

}

std::optional<Picture> DecodeLss16(QByteArrayView bytes)
{
    return Decoders::IsLss16(bytes)
        ? Whole(bytes, std::pair(Decoders::Word(bytes, 4), Decoders::Word(bytes, 6)), Decoders::ReadLss16)
        : std::nullopt;
}

std::optional<Picture> DecodePng(QByteArrayView bytes)
{
    return Whole(bytes, Decoders::PngSize(bytes), Decoders::ReadPng);
}

std::optional<TranslucentPicture> DecodePngWithAlpha(QByteArrayView bytes)
{
    const std::optional<std::pair<int, int>> size = Decoders::PngSize(bytes);
    if (!size || size->first <= 0 || size->second <= 0 || qint64(size->first) * size->second * 4 > Limits::PictureBytes)
        return std::nullopt;
    TranslucentPicture picture { Picture(size->first, size->second), {} };
    picture.alpha.assign(picture.picture.pixels.size(), 255);
    if (!Decoders::ReadPngWithAlpha(bytes, picture.picture, &picture.alpha).complete)
        return std::nullopt;
    return picture;
}

}
