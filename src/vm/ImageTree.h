#pragma once

#include "VmTools.h"
#include "config/BootFiles.h"

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// The user asked a job under way to stop.
class EVmCancelled : public EVmError {
public:
    EVmCancelled()
        : EVmError("Cancelled.")
    {
    }
};

// What a long job tells and asks while it runs: how far it is, and whether
// to stop. Either may be empty.
struct JobProgress {
    std::function<void(int percent, const QString& step)> report;
    std::function<bool()> cancelled;

    void Report(int percent, const QString& step) const
    {
        if (report)
            report(percent, step);
    }
    // EVmCancelled when asked to stop, EVmStopped on a signal.
    void Check() const;
};

// One entry under a tree's root as a shipped disc takes it: a regular file
// (its real path, links followed only inside the tree) or why it stays out.
struct TreeEntry {
    QByteArray imagePath;
    QByteArray realPath; // empty when refused
    qint64 size = 0;
    QString refusal;
};
struct TreeWalk {
    std::vector<TreeEntry> entries;
    bool truncated = false; // past Limits::ExportEntries
};
// Every entry under the root, in name order, none opened: folders are
// walked without following a link, a link is judged by where it leads.
TreeWalk WalkTree(const BootFiles& files);

// Copies a regular file, opened without following a link and checked to be
// one before a byte is read; false with errno set when it fails.
bool CopyRegularFile(const QByteArray& from, int toDescriptor, const JobProgress* progress);

// Runs a tool to its end and gives its output; it is killed when the job
// is cancelled or a signal stops us, or after limitSeconds. Throws
// EVmError with `failure` and the tool's own words when it fails.
QByteArray RunTool(const QString& program, const QStringList& arguments, const std::string& failure,
    const JobProgress* progress = nullptr, int limitSeconds = 60, const QProcessEnvironment& environment = {});
