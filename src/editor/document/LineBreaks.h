#pragma once

#include <QByteArray>

// The line breaks of a configuration, kept through its edits. The editor
// holds every line break as CR LF; a configuration goes back to its file
// with the breaks the file had (LF, CR LF, a lone CR, or a mix of them,
// each line its own), so a one-line edit is a one-line change.
namespace LineBreaks {

enum class Kind { None, Lf, CrLf, Cr, Mixed };

// The breaks a file's bytes hold, as Open reads them: CR LF is one break,
// every other CR and LF one of its own.
Kind KindOf(QByteArrayView file);

// The document's bytes (each line break CR LF, as Open made them from the
// file) written with the file's breaks. A line the edit left as it was
// keeps its own break; a changed line takes the break of the line it
// replaced, a new one that of the line before it.
QByteArray Restore(QByteArrayView file, QByteArrayView document);

}
