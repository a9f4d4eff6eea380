// Feeds arbitrary bytes to the linter, with a folder beside them that
// holds an LSS16 image, a file that is not one, a FIFO and a folder, so
// that the image names the bytes make reach every kind of file. Checks what
// must hold: findings in file order with places inside the bytes, at most
// MostProblems of them and the last one's count, and no read that blocks.
#include "FuzzChecks.h"
#include "format/DisplayFile.h"
#include "lint/Linter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace {

QString ImageFolder()
{
    static QTemporaryDir folder;
    static const bool made = [] {
        QFile good(folder.filePath(QStringLiteral("a")));
        good.open(QIODevice::WriteOnly);
        good.write(QByteArray("\x3d\xf3\x13\x14\x10\x00\x08\x00", 8) + QByteArray(48, '\x3f'));
        QFile bad(folder.filePath(QStringLiteral("b")));
        bad.open(QIODevice::WriteOnly);
        bad.write("not an image");
        ::mkfifo(QFile::encodeName(folder.filePath(QStringLiteral("c"))).constData(), 0600);
        QDir(folder.path()).mkdir(QStringLiteral("d"));
        return true;
    }();
    (void)made;
    return folder.path();
}

}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const QByteArray& name : DisplayFile::ImageNames(bytes))
        Require(!name.contains('\n') && bytes.contains(name), "an image name that is not in the bytes");
    const std::vector<Problem> problems = LintDisplayFile(bytes, ImageFolder());
    Require(problems.size() <= MostProblems + 1, "more findings than the most reported");
    qsizetype last = 0;
    int lastLine = 1;
    for (const Problem& problem : problems) {
        Require(problem.offset >= 0 && problem.offset <= bytes.size(), "a finding outside the bytes");
        Require(problem.line >= 1 && problem.column >= 1 && problem.count >= 1, "a finding without a place");
        Require(problem.code == u"colour-digit" || problem.code == u"more"
                || (problem.offset >= last && problem.line >= lastLine),
            "findings out of file order");
        last = problem.offset;
        lastLine = problem.line;
    }
    return 0;
}
