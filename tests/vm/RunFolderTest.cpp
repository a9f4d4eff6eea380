// Where the machine's run folders go and what the sweep of dead runs may
// remove, tried as another user of the machine would: links planted under
// a run folder's name, folders of other users, a parent that is a link or
// open to others. As root, folders of another owner are made for real.
#include "vm/VmTools.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include <gtest/gtest.h>

namespace {

// TMPDIR and XDG_RUNTIME_DIR for one test, put back afterwards.
class Environment {
public:
    Environment(const QString& tmp, const QString& runtime)
        : m_tmp(qgetenv("TMPDIR"))
        , m_runtime(qgetenv("XDG_RUNTIME_DIR"))
    {
        qputenv("TMPDIR", QFile::encodeName(tmp));
        if (runtime.isEmpty())
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    }
    ~Environment()
    {
        qputenv("TMPDIR", m_tmp);
        qputenv("XDG_RUNTIME_DIR", m_runtime);
    }

private:
    QByteArray m_tmp, m_runtime;
};

QByteArray Native(const QString& path) { return QFile::encodeName(path); }

void MakeFolder(const QString& path, mode_t mode)
{
    ASSERT_EQ(::mkdir(Native(path).constData(), mode), 0) << path.toStdString();
    ::chmod(Native(path).constData(), mode);
}

QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

const QString Own = QStringLiteral("glimra-") + QString::number(::geteuid());

}

TEST(RunFolderTest, SweepsOnlyThisUsersDeadRunsAndFollowsNoLink)
{
    QTemporaryDir top;
    const QString victim = top.filePath("victim"), tmp = top.filePath("tmp"), run = top.filePath("run");
    MakeFolder(victim, 0755);
    QFile precious(victim + "/precious");
    ASSERT_TRUE(precious.open(QIODevice::WriteOnly));
    precious.close();
    MakeFolder(tmp, 0777);
    MakeFolder(run, 0700);
    const Environment environment(tmp, run);
    const QString parent = RunFolderParent();
    EXPECT_EQ(parent, run + "/glimra");

    // Where the sweep once looked, and inside the private folder itself.
    ASSERT_EQ(::symlink(Native(victim).constData(), Native(tmp + "/glimra-vm-999999-x").constData()), 0);
    ASSERT_EQ(::symlink(Native(victim).constData(), Native(parent + "/glimra-vm-999998-x").constData()), 0);
    const QString dead = parent + "/glimra-vm-999997-x";
    MakeFolder(dead, 0700);
    MakeFolder(dead + "/cd", 0700);
    ASSERT_EQ(::symlink(Native(victim).constData(), Native(dead + "/cd/isolinux").constData()), 0);
    QFile leftover(dead + "/cd/boot.iso");
    ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
    leftover.close();
    const QString live = QStringLiteral("glimra-vm-%1-live").arg(QCoreApplication::applicationPid());
    MakeFolder(parent + u'/' + live, 0700);
    QStringList kept { "glimra-vm-999998-x", live };
    if (::geteuid() == 0) {
        MakeFolder(parent + "/glimra-vm-999996-x", 0700);
        ASSERT_EQ(::chown(Native(parent + "/glimra-vm-999996-x").constData(), 65534, 65534), 0);
        kept << "glimra-vm-999996-x";
    }

    const std::unique_ptr<QTemporaryDir> work = MakeWorkFolder();
    EXPECT_EQ(QFileInfo(work->path()).path(), parent);
    EXPECT_TRUE(QFile::exists(victim + "/precious")) << "the sweep followed a link";
    kept << QFileInfo(work->path()).fileName();
    kept.sort();
    EXPECT_EQ(Entries(parent), kept) << "only this user's dead runs go, links stay links";
    EXPECT_EQ(Entries(tmp), QStringList { "glimra-vm-999999-x" }) << "the shared folder is not swept";
}

namespace {

struct ParentRow {
    const char* what;
    std::function<void(const QString& top)> make; // in top: tmp/ and run/ are made before
    const char* runtime; // XDG_RUNTIME_DIR below top, "" for none
    const char* parent; // below top; "" when refused
    bool rootOnly = false;
};

// The run folders' parent made as the row's tree leaves it, or refused.
void ExpectParent(const ParentRow& row)
{
    SCOPED_TRACE(row.what);
    if (row.rootOnly && ::geteuid() != 0)
        return;
    QTemporaryDir top;
    MakeFolder(top.filePath("tmp"), 01777);
    MakeFolder(top.filePath("run"), 0700);
    row.make(top.path());
    const Environment environment(
        top.filePath("tmp"), *row.runtime ? top.filePath(QString::fromLatin1(row.runtime)) : QString());
    const QString expected = top.filePath(QString::fromLatin1(row.parent).replace("OWN", Own));
    if (!*row.parent) {
        EXPECT_THROW(MakeWorkFolder(), EVmError);
        EXPECT_EQ(Entries(top.filePath("run")), QStringList {}) << "nothing made through the link";
        return;
    }
    const std::unique_ptr<QTemporaryDir> work = MakeWorkFolder();
    EXPECT_EQ(QFileInfo(work->path()).path(), expected);
    struct stat status { };
    ASSERT_EQ(::lstat(Native(expected).constData(), &status), 0);
    EXPECT_TRUE(S_ISDIR(status.st_mode));
    EXPECT_EQ(status.st_mode & 0777, 0700u);
}

}

TEST(RunFolderTest, TheParentIsThisUsersOwnAndClosedToOthers)
{
    using Row = ParentRow;
    const Row rows[] = {
        { "the runtime folder", [](const QString&) {}, "run", "run/glimra" },
        { "no runtime folder", [](const QString&) {}, "", "tmp/OWN" },
        { "a runtime folder others may enter",
            [](const QString& top) { ::chmod(Native(top + "/run").constData(), 0755); }, "run", "tmp/OWN" },
        { "a runtime folder that is missing", [](const QString&) {}, "gone", "tmp/OWN" },
        { "a runtime folder that is a link",
            [](const QString& top) { ::symlink(Native(top + "/run").constData(), Native(top + "/link").constData()); },
            "link", "tmp/OWN" },
        { "a planted link under the user's name",
            [](const QString& top) {
                ::symlink(Native(top + "/run").constData(), Native(top + "/tmp/" + Own).constData());
            },
            "", "" },
        { "a folder of the user's name open to others",
            [](const QString& top) { MakeFolder(top + "/tmp/" + Own, 0777); }, "", "" },
        { "a file of the user's name",
            [](const QString& top) {
                QFile file(top + "/tmp/" + Own);
                (void)file.open(QIODevice::WriteOnly);
            },
            "", "" },
        { "a folder of the user's name that another user made",
            [](const QString& top) {
                MakeFolder(top + "/tmp/" + Own, 0700);
                (void)::chown(Native(top + "/tmp/" + Own).constData(), 65534, 65534);
            },
            "", "", true },
    };
    for (const Row& row : rows)
        ExpectParent(row);
}
