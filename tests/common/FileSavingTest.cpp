// Saving keeps what a file is, as a user meets it through glimra-render
// --output, which saves as the editor does.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

class FileSaving : public ::testing::Test {
protected:
    void SetUp() override
    {
        QFile input(directory.filePath("screen.msg"));
        ASSERT_TRUE(input.open(QIODevice::WriteOnly));
        input.write("new screen");
    }
    QString Path(const char* name) const { return directory.filePath(QString::fromLatin1(name)); }
    static void Write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    static QByteArray Read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static struct stat Status(const QString& path)
    {
        struct stat status { };
        ::stat(QFile::encodeName(path).constData(), &status);
        return status;
    }
    // glimra-render's JSON of screen.msg into output, run as it is or
    // through a prefix (setpriv to drop privileges); the exit status.
    int RenderTo(const QString& output, const QStringList& prefix = {}) const
    {
        QStringList command = prefix;
        command << QStringLiteral(GLIMRA_RENDER_PATH) << "--output" << output << directory.filePath("screen.msg");
        QProcess process;
        process.start(command.takeFirst(), command);
        process.waitForFinished(30000);
        lastError = process.readAllStandardError();
        return process.exitCode();
    }
    static bool Root() { return ::geteuid() == 0; }

    QTemporaryDir directory;
    mutable QByteArray lastError;
};

}

TEST_F(FileSaving, KeepsHardLinksModeAndSymbolicLinks)
{
    Write(Path("f2"), "old");
    ASSERT_EQ(::link(QFile::encodeName(Path("f2")).constData(), QFile::encodeName(Path("other-name")).constData()), 0);
    ASSERT_TRUE(QFile::setPermissions(Path("f2"), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    ASSERT_EQ(RenderTo(Path("f2")), 0) << lastError.constData();
    EXPECT_TRUE(Read(Path("other-name")).contains("\"bytes\"")) << "the second name sees the new text";
    EXPECT_EQ(Status(Path("f2")).st_mode & 07777, 0640u);

    Write(Path("target"), "old");
    ASSERT_TRUE(QFile::link(Path("target"), Path("link")));
    ASSERT_TRUE(QFile::setPermissions(Path("target"), QFile::ReadOwner | QFile::WriteOwner));
    ASSERT_EQ(RenderTo(Path("link")), 0) << lastError.constData();
    EXPECT_TRUE(QFileInfo(Path("link")).isSymLink());
    EXPECT_TRUE(Read(Path("target")).contains("\"bytes\""));
    EXPECT_EQ(Status(Path("target")).st_mode & 07777, 0600u);
    EXPECT_EQ(QDir(directory.path()).entryList(QDir::Files | QDir::Hidden).size(), 5) << "no temporary file left";
}

TEST_F(FileSaving, KeepsAnotherUsersFileTheirsAndAReadOnlyFileReadOnly)
{
    if (!Root())
        GTEST_SKIP() << "needs root to give a file to another user";
    Write(Path("tftp-file"), "old");
    ASSERT_EQ(::chown(QFile::encodeName(Path("tftp-file")).constData(), 65534, 65534), 0);
    ASSERT_TRUE(QFile::setPermissions(Path("tftp-file"), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    ASSERT_EQ(RenderTo(Path("tftp-file")), 0) << lastError.constData();
    EXPECT_TRUE(Read(Path("tftp-file")).contains("\"bytes\""));
    EXPECT_EQ(Status(Path("tftp-file")).st_uid, 65534u);
    EXPECT_EQ(Status(Path("tftp-file")).st_gid, 65534u);
    EXPECT_EQ(Status(Path("tftp-file")).st_mode & 07777, 0444u);
}

TEST_F(FileSaving, WritesDevicesAndFifosPlainly)
{
    ASSERT_EQ(RenderTo(QStringLiteral("/dev/null")), 0) << lastError.constData();
    EXPECT_TRUE(S_ISCHR(Status(QStringLiteral("/dev/null")).st_mode));

    const QString fifo = Path("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QByteArray received;
    std::thread reader([&] { received = Read(fifo); });
    const int status = RenderTo(fifo);
    reader.join();
    EXPECT_EQ(status, 0) << lastError.constData();
    EXPECT_TRUE(received.contains("\"bytes\""));
    EXPECT_TRUE(S_ISFIFO(Status(fifo).st_mode));
}

TEST_F(FileSaving, WritesInPlaceWhereTheFolderIsNotWritable)
{
    const QString folder = Path("locked");
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString file = folder + "/f1";
    Write(file, "old");
    QFile::setPermissions(file, QFileDevice::Permissions(0x6666)); // rw for all
    QFile::setPermissions(folder, QFileDevice::Permissions(0x5555)); // r-x for all
    // Root may write any folder: a child without privileges stands for the user.
    const QStringList asUser
        = Root() ? QStringList { "setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--" } : QStringList {};
    if (Root())
        ::chmod(QFile::encodeName(directory.path()).constData(), 0755);
    EXPECT_EQ(RenderTo(file, asUser), 0) << lastError.constData();
    EXPECT_TRUE(Read(file).contains("\"bytes\""));
    QFile::setPermissions(folder, QFileDevice::Permissions(0x7777));
}

TEST_F(FileSaving, AFullDiskNamesTheCauseAndLeavesTheOldFile)
{
    const QString mount = Path("small");
    QDir().mkdir(mount);
    if (!Root() || QProcess::execute("mount", { "-t", "tmpfs", "-o", "size=4k", "tmpfs", mount }) != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here";
    const QString file = mount + "/f2";
    Write(file, "old");
    QFile big(directory.filePath("screen.msg"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    big.write(QByteArray(4000, 'x')); // its JSON is larger than the file system
    big.close();
    EXPECT_EQ(RenderTo(file), 1);
    EXPECT_TRUE(lastError.contains("No space left on device")) << lastError.constData();
    EXPECT_EQ(Read(file), "old");
    ASSERT_EQ(::link(QFile::encodeName(file).constData(), QFile::encodeName(mount + "/f2-link").constData()), 0);
    EXPECT_EQ(RenderTo(file), 1) << "written in place";
    EXPECT_TRUE(lastError.contains("No space left on device")) << lastError.constData();
    EXPECT_EQ(Read(file), "old");
    QProcess::execute("umount", { mount });
}

// A file with a second name is written in place; a save that cannot
// finish must leave its old bytes, and a shorter new text no stale tail.
TEST_F(FileSaving, AnInPlaceSaveThatCannotFinishLeavesTheOldFile)
{
    ASSERT_EQ(RenderTo(Path("fresh.json")), 0) << lastError.constData();
    const QByteArray json = Read(Path("fresh.json"));
    const QStringList sizeLimit = { "bash", "-c", "ulimit -f 4 && exec \"$@\"", "limited" }; // 4 KiB
    struct Case {
        const char* what;
        QByteArray old;
        QStringList prefix;
        QByteArray expected;
    };
    const Case cases[] = {
        { "larger than the limit", QByteArray(2000, 'o'), sizeLimit, QByteArray(2000, 'o') },
        { "old file beyond the limit", QByteArray(json.size() * 2, 'o'), sizeLimit, QByteArray(json.size() * 2, 'o') },
        { "shorter than the old", QByteArray(json.size() * 2, 'o'), {}, json },
        { "longer than the old", "o", {}, json },
    };
    for (const Case& test : cases) {
        Write(Path("old.json"), test.old);
        QFile::remove(Path("second-name"));
        ASSERT_EQ(
            ::link(QFile::encodeName(Path("old.json")).constData(), QFile::encodeName(Path("second-name")).constData()),
            0);
        const int status = RenderTo(Path("old.json"), test.prefix);
        EXPECT_EQ(Read(Path("old.json")), test.expected) << test.what;
        EXPECT_EQ(Read(Path("second-name")), test.expected) << test.what;
        EXPECT_EQ(status, test.prefix.isEmpty() ? 0 : 1) << test.what;
        if (!test.prefix.isEmpty()) {
            EXPECT_TRUE(lastError.contains("File too large")) << test.what << ": " << lastError.constData();
        }
    }
}

TEST_F(FileSaving, AReadOnlyFileStaysReadOnly)
{
    Write(Path("f1"), "old");
    ASSERT_TRUE(QFile::setPermissions(Path("f1"), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    ASSERT_EQ(RenderTo(Path("f1")), 0) << lastError.constData();
    EXPECT_TRUE(Read(Path("f1")).contains("\"bytes\""));
    EXPECT_EQ(Status(Path("f1")).st_mode & 07777, 0444u);
    ASSERT_EQ(RenderTo(Path("new-file")), 0) << lastError.constData();
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(Status(Path("new-file")).st_mode & 07777, 0666u & ~mask) << "a new file as the umask says";
}
