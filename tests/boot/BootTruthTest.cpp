// Every screen recorded from the real loader, drawn again by boot mode:
// one case per recorded display file, so a new recording is a new case.
#include "ConsoleInvariants.h"
#include "FakeMeasurer.h"
#include "FileTree.h"
#include "RecordedScreen.h"
#include "RecordedVersions.h"
#include "SharedMaterial.h"
#include "boot/BootRendering.h"
#include "preview/ScreenSnapshot.h"
#include "sim/CoreGraphics.h"
#include "sim/LoaderSim.h"
#include "vesa/VesaPixels.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

struct Recording {
    QString displayFile; // the bytes that were booted
    QString screen; // the recorded JSON screen
};

void PrintTo(const Recording& recording, std::ostream* out) { *out << recording.displayFile.toStdString(); }

// probes/NAME.msg with probes/NAME.msg.json, and corpus/NAME.json of ../corpus/NAME.
std::vector<Recording> Recordings()
{
    std::vector<Recording> recordings;
    const QDir probes = SharedFolder("boottruth/probes");
    for (const QString& name : probes.entryList({ QStringLiteral("*.msg") }, QDir::Files))
        recordings.push_back({ probes.filePath(name), probes.filePath(name + ".json") });
    const QDir corpus = SharedFolder("boottruth/corpus");
    for (const QString& name : corpus.entryList({ QStringLiteral("*.json") }, QDir::Files))
        recordings.push_back({ SharedFolder("corpus").filePath(name.chopped(5)), corpus.filePath(name) });
    return recordings;
}

QByteArray Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What the serial port received of the file: after the loader's banner
// line, before its prompt.
QByteArray SerialOfTheFile(const QString& log)
{
    QByteArray serial = log.toLatin1();
    const qsizetype banner = serial.indexOf("ISOLINUX");
    serial = serial.mid(serial.indexOf("\r\n", banner) + 2);
    if (serial.endsWith("boot: "))
        serial.chop(6);
    return serial;
}

class BootTruth : public ::testing::TestWithParam<Recording> { };

}

TEST(BootTruthFolder, IsThere)
{
    REQUIRE_SHARED(!Recordings().empty(), SharedFolder("boottruth").path().toStdString());
}

TEST_P(BootTruth, DrawsTheRecordedScreen)
{
    const QByteArray file = Read(GetParam().displayFile);
    const QJsonObject truth = QJsonDocument::fromJson(Read(GetParam().screen)).object();
    ASSERT_FALSE(truth.isEmpty()) << GetParam().screen.toStdString();
    FakeMeasurer measurer;
    TColorConsole console(measurer);
    const QByteArray serial = RenderBootScreen(console, file, { .prompt = true });
    EXPECT_EQ(AttributeInvariantViolation(console), "");

    ExpectRecordedScreen(ScreenSnapshot::Of(console), truth);
    EXPECT_EQ(serial, SerialOfTheFile(truth[u"serial"].toString()));
}

namespace {

// The probes replayed with other builds, each against what that build drew;
// probes it draws otherwise than the simulator does yet are listed with
// the rule, and must go on differing.
struct Replayed {
    std::string version;
    QString probe;
};

void PrintTo(const Replayed& replayed, std::ostream* out)
{
    *out << replayed.version << ' ' << replayed.probe.toStdString();
}

std::vector<Replayed> Replays()
{
    std::vector<Replayed> replays;
    for (const char* version : RecordedOtherVersions) {
        for (const QString& name : SharedFolder("boottruth/probes").entryList({ QStringLiteral("*.msg") }, QDir::Files))
            replays.push_back({ version, name });
    }
    return replays;
}

// The probes that leave the 3.x/4.x core in VGA graphics mode: QEMU's
// picture of it, pixel for pixel, and the cursor.
int DifferingPixels(const std::vector<std::uint32_t>& shown, const QString& png)
{
    const std::optional<Vesa::Picture> recorded = Vesa::DecodePng(Read(png));
    if (!recorded || recorded->width != GraphicsScreen::Width || recorded->height != GraphicsScreen::Height
        || shown.size() != recorded->pixels.size())
        return -1;
    int differing = 0;
    for (std::size_t i = 0; i < shown.size(); ++i)
        differing += shown[i] != recorded->pixels[i];
    return differing;
}

void ExpectRecordedPicture(const GraphicsScreen& screen, const QJsonObject& truth, const QString& png)
{
    const std::optional<Vesa::Picture> recorded = Vesa::DecodePng(Read(png));
    ASSERT_TRUE(recorded) << png.toStdString();
    ASSERT_EQ(std::pair(GraphicsScreen::Width, GraphicsScreen::Height), std::pair(recorded->width, recorded->height));
    const std::vector<std::uint32_t> shown = screen.Shown();
    int differing = 0;
    for (std::size_t i = 0; i < shown.size(); ++i)
        differing += shown[i] != recorded->pixels[i];
    EXPECT_EQ(differing, 0);
    const QJsonArray cursor = truth[u"cursor"].toArray();
    EXPECT_EQ(std::pair(screen.column, screen.row), std::pair(cursor[0].toInt(), cursor[1].toInt()));
}

class ProbeVersions : public ::testing::TestWithParam<Replayed> { };

}

TEST_P(ProbeVersions, DrawsTheRecordedScreen)
{
    const Replayed replayed = GetParam();
    const QJsonObject truth
        = QJsonDocument::fromJson(Read(VersionsFolder(replayed.version, "probes").filePath(replayed.probe + ".json")))
              .object();
    REQUIRE_SHARED(!truth.isEmpty(), replayed.version + " " + replayed.probe.toStdString());
    FakeMeasurer measurer;
    TColorConsole console(measurer);
    // The replays show what SeaBIOS and the banner left above a file that
    // does not clear the screen; every case of a build ran the same binary.
    const LoaderVersion version
        = RecordedVersion(replayed.version, QDir(VersionsFolder(replayed.version, "shared").filePath("a1_fkeys")));
    const QByteArray shown = "SeaBIOS (version 1.16.2-debian-1.16.2-1)\nBooting from DVD/CD...\n\n"
        + version.BannerLine() + '\n' + Read(SharedFolder("boottruth/probes").filePath(replayed.probe));
    const QDir probes = SharedFolder("boottruth/probes");
    BootGraphics graphics = CoreGraphics([&](const QByteArray& name) -> std::optional<QByteArray> {
        const QString path = probes.filePath(QString::fromLatin1(name));
        return QFile::exists(path) ? std::optional(Read(path)) : std::nullopt;
    });
    RenderBootScreen(console, shown, { .prompt = true, .core = version.AssemblyCore(), .graphics = &graphics });
    EXPECT_EQ(graphics.screen.has_value(), truth[u"video_mode"].toInt() == 0x12);
    const QString png = VersionsFolder(replayed.version, "probes").filePath(replayed.probe + ".png");
    if (!graphics.screen)
        return ExpectRecordedScreen(ScreenSnapshot::Of(console), truth);
    ExpectRecordedPicture(*graphics.screen, truth, png);
    // The loader itself, DISPLAY then its prompt and cursor drawn into the
    // picture, is what Run Configuration and glimra-render show.
    QTemporaryDir tree;
    WriteInTree(tree, "isolinux/probe.lss", Read(probes.filePath(QStringLiteral("probe.lss"))));
    WriteInTree(tree, "isolinux/boot.msg", Read(probes.filePath(replayed.probe)));
    const QString config = WriteInTree(tree, "isolinux/isolinux.cfg", "DISPLAY boot.msg\nPROMPT 1\n");
    TColorConsole played(measurer);
    const LoaderSim loader(played, BootFiles::ForConfiguration(config), LoaderSim::Start::Banner, version);
    const std::optional<Vesa::Picture> picture = loader.CoreGraphicsPicture();
    ASSERT_TRUE(picture);
    EXPECT_EQ(DifferingPixels(picture->pixels, png), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, ProbeVersions, ::testing::ValuesIn(Replays()), [](const ::testing::TestParamInfo<Replayed>& replayed) {
        QString name = QString::fromStdString("v" + replayed.param.version + "_") + replayed.param.probe;
        name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]")), QStringLiteral("_"));
        return name.toStdString();
    });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(ProbeVersions);

INSTANTIATE_TEST_SUITE_P(
    Recorded, BootTruth, ::testing::ValuesIn(Recordings()), [](const ::testing::TestParamInfo<Recording>& recording) {
        QString name = QFileInfo(recording.param.displayFile).fileName();
        name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]")), QStringLiteral("_"));
        return name.toStdString();
    });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(BootTruth);
