// A MENU BACKGROUND judged as vesamenu.c32 will read it
// (com32/lib/sys/vesa/background.c): ReadBackground's reading, said in
// the words of someone choosing a picture.
#include "BackgroundVerdict.h"

#include "VesaJpeg.h"
#include "VideoModes.h"
#include "config/BootFiles.h"
#include "config/ConfigSyntax.h"

#include <png.h>

#include <algorithm>

namespace Vesa {

namespace {

using Kind = PictureVerdict::Kind;

// The kind by the signature, in the order the module tries them.
Kind KindOf(QByteArrayView bytes)
{
    if (bytes.size() >= 8 && png_sig_cmp(reinterpret_cast<png_const_bytep>(bytes.data()), 0, 8) == 0)
        return Kind::Png;
    if (bytes.size() >= 8 && bytes.startsWith("\xff\xd8"))
        return Kind::Jpeg;
    if (bytes.size() >= 8 && bytes.startsWith("\x3d\xf3\x13\x14"))
        return Kind::Lss16;
    return Kind::None;
}

// Whether a chunk of that type comes before the PNG's image data.
bool PngHasChunk(QByteArrayView bytes, QByteArrayView type)
{
    for (qsizetype at = 8; at + 8 <= bytes.size();) {
        const quint32 length = quint32(quint8(bytes[at])) << 24 | quint32(quint8(bytes[at + 1])) << 16
            | quint32(quint8(bytes[at + 2])) << 8 | quint8(bytes[at + 3]);
        const QByteArrayView name = bytes.sliced(at + 4, 4);
        if (name == type)
            return true;
        if (name == "IDAT" || length > quint32(bytes.size()))
            return false;
        at += 12 + qsizetype(length);
    }
    return false;
}

QString PngColours(QByteArrayView bytes)
{
    if (bytes.size() < 26)
        return {};
    const int depth = quint8(bytes[24]), type = quint8(bytes[25]);
    QString colours = type == 3 ? QStringLiteral("up to %1 palette colours").arg(1 << std::min(depth, 8))
        : type & 2              ? QStringLiteral("RGB, %1 bits a channel").arg(depth)
                                : QStringLiteral("grey, %1 bits").arg(depth);
    if (depth == 16)
        colours += QStringLiteral(", cut to 8 bits");
    if (type & 4 || PngHasChunk(bytes, "tRNS"))
        colours += QStringLiteral("; its transparency is ignored: transparent pixels show their own colour");
    return colours;
}

QString JpegColours(QByteArrayView bytes)
{
    Decoders::Jpeg::Decoder decoder(bytes);
    const QString problem = decoder.ParseHeaders();
    switch (decoder.FrameComponents()) {
    case 0: return {};
    case 1: return QStringLiteral("greyscale, which SYSLINUX's JPEG decoder cannot read (it takes YCbCr colour only)");
    case 3: break;
    case 4: return QStringLiteral("CMYK, which SYSLINUX's JPEG decoder cannot read (it takes YCbCr colour only)");
    default:
        return QStringLiteral("%1 components, which SYSLINUX's JPEG decoder cannot read")
            .arg(decoder.FrameComponents());
    }
    if (!problem.isEmpty())
        return QStringLiteral("YCbCr");
    const auto [h, v] = decoder.LumaSampling();
    const char* sampling = h == 2 && v == 2 ? "4:2:0" : h == 2 ? "4:2:2" : v == 2 ? "4:4:0" : "4:4:4";
    return QStringLiteral("YCbCr %1, decoded by SYSLINUX's own decoder (baseline only)").arg(QLatin1String(sampling));
}

QString Size(int width, int height) { return QStringLiteral("%1 x %2").arg(width).arg(height); }

}

PictureVerdict BackgroundVerdict(QByteArrayView bytes, int width, int height, bool tiles)
{
    PictureVerdict verdict;
    verdict.kind = KindOf(bytes);
    verdict.colours = verdict.kind == Kind::Png ? PngColours(bytes)
        : verdict.kind == Kind::Jpeg            ? JpegColours(bytes)
        : verdict.kind == Kind::Lss16           ? QStringLiteral("16 colours of 6-bit levels")
                                                : QString();
    const Background read = ReadBackground(bytes, width, height);
    verdict.width = read.width;
    verdict.height = read.height;
    using Shown = PictureVerdict::Shown;
    const QString screen = Size(width, height);
    if (!VesaModeOffered(width, height)) {
        verdict.shown = Shown::TextScreen;
        verdict.message = QStringLiteral("there is no %1 video mode (QEMU's standard VGA offers none): vesamenu.c32 "
                                         "runs on the text screen and shows no picture")
                              .arg(screen);
    } else if (verdict.kind == Kind::None && read.width == 0) {
        verdict.message = QStringLiteral("it is no PNG, JPEG or LSS16 picture: the loader shows black behind the menu");
    } else if (read.width > width || read.height > height) {
        verdict.message = read.problem + QStringLiteral("; the menu shows on black: fit it to %1").arg(screen);
    } else if (!read.problem.isEmpty()) {
        const bool some
            = std::any_of(read.screen.pixels.begin(), read.screen.pixels.end(), [](Rgb p) { return p != 0; });
        verdict.shown = some ? Shown::Damaged : Shown::Rejected;
        verdict.message = read.problem;
    } else if (read.width == width && read.height == height) {
        verdict.shown = Shown::Copied;
        verdict.message = QStringLiteral("%1, the screen's size: shown as it is").arg(screen);
    } else if (read.tiled && tiles) {
        verdict.shown = Shown::Tiled;
        verdict.message = QStringLiteral("%1, smaller than the %2 screen: repeated across it from the top left, "
                                         "never scaled")
                              .arg(Size(read.width, read.height), screen);
    } else {
        verdict.shown = Shown::TopLeft;
        verdict.message = QStringLiteral("%1, smaller than the %2 screen: shown once at the top left, black beside "
                                         "and below (%3)")
                              .arg(Size(read.width, read.height), screen,
                                  read.tiled ? QStringLiteral("this loader build repeats no picture")
                                             : QStringLiteral("an LSS16 picture is never repeated"));
    }
    return verdict;
}

QString BackgroundNameProblem(const QByteArray& name, const BootFiles& files, const QByteArray& folder)
{
    if (name.isEmpty())
        return QStringLiteral("the picture needs a name");
    if (ConfigSyntax::Word(name.constData()) != name || name.contains('\0'))
        return QStringLiteral("\"%1\" has a space or control character in it: MENU BACKGROUND takes one word, so "
                              "the menu would read only \"%2\"")
            .arg(QString::fromLatin1(name), QString::fromLatin1(ConfigSyntax::Word(name.constData())));
    if (name.startsWith('#'))
        return QStringLiteral("\"%1\" starts with #, which the menu reads as a colour, not a file")
            .arg(QString::fromLatin1(name));
    const std::optional<QByteArray> path = BootFiles::Resolve(folder, name);
    if (!path || !files.HostPath(*path))
        return QStringLiteral("\"%1\" leads outside the boot tree, where the loader cannot open it")
            .arg(QString::fromLatin1(name));
    return {};
}

}
