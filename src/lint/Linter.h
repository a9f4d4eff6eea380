#pragma once

#include "common/Limits.h"
#include "config/BootFiles.h"

#include <QByteArray>
#include <QString>

#include <vector>

// What the boot loader cannot show as meant (errors), what changes or hides
// the screen (warnings) and what is worth knowing (notes) in a display file,
// read by the loader's rules.
enum class Severity { Error, Warning, Note };

struct Problem {
    int line = 1; // lines as the editor shows them: CR LF, lone CR and lone LF each end one
    int column = 1; // the byte's place in its line
    qsizetype offset = 0; // in the bytes as given
    Severity severity = Severity::Note;
    QString code;
    QString message;
    int count = 1; // the same problem this many times on its line, found here first
    bool operator==(const Problem&) const = default;
    // The message, with the count when it is more than one.
    QString Text() const;
};

// A file full of one fault (megabytes of NUL) must not become millions of
// findings: each kind is reported once per line with a count, and past this
// many findings one last finding, "and N more problems", takes the rest at
// the worst severity among them.
constexpr int MostProblems = Limits::Findings;

// The problems of a display file, in file order. Images named with 0x18 are
// looked for in imageFolder; without a folder (a document never saved)
// every image is missing.
// The loader's cursor starts on startRow: a help file shown below the
// prompt scrolls sooner than one shown on a cleared screen.
std::vector<Problem> LintDisplayFile(QByteArrayView bytes, const QString& imageFolder, int startRow = 0);
// The same with images looked up as the loader looks them up in a boot
// image: from its current folder, never outside the image.
std::vector<Problem> LintDisplayFile(
    QByteArrayView bytes, const BootFiles& files, const QByteArray& currentFolder, int startRow = 0);
// A display file on its own, as the DISPLAY of a configuration: also a
// note when its last line has no line break, since the loader's boot:
// prompt then follows its last text.
std::vector<Problem> LintLoneDisplayFile(QByteArrayView bytes, const QString& imageFolder);

QString SeverityName(Severity severity);

// Whether bytes start as an LSS16 image does: its magic number, a size and
// a palette of 6-bit entries.
bool IsLss16(QByteArrayView bytes);
