#pragma once

#include "SharedMaterial.h"
#include "config/BootFiles.h"
#include "keys/KeyWords.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

inline QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The whole configurations recorded from the real loader, by folder name.
inline std::vector<std::string> RecordedCases()
{
    std::vector<std::string> cases;
    for (const QString& name : SharedFolder("boottruth/project/cases").entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        cases.push_back(name.toStdString());
    return cases;
}

inline QDir RecordedCase(const std::string& name)
{
    return QDir(SharedFolder("boottruth/project/cases").filePath(QString::fromStdString(name)));
}

// A case's files, with the modules its recording copied in from Debian
// beside the configuration (their bytes do not matter to the simulator),
// but those a build lacks.
inline BootFiles RecordedCaseFiles(const QDir& folder, const QString& config, const QStringList& lacking = {})
{
    BootFiles files = BootFiles::ForConfiguration(config);
    for (const QByteArray& module : ReadBytes(folder.filePath("modules")).split('\n')) {
        if (!module.trimmed().isEmpty() && !lacking.contains(QString::fromUtf8(module.trimmed())))
            files.SetText(QFileInfo(config).dir().filePath(QString::fromUtf8(module.trimmed())),
                "\x7f"
                "ELF");
    }
    return files;
}

// One line of a recorded case's steps file: what was done to the real
// loader between its shots.
struct RecordedStep {
    enum class Kind { Key, Type, Sleep, WaitText, WaitSerial, WaitNewSerial, WaitStable, Shot, Other } kind;
    QString argument; // the chords (space-separated), the typed text, the pattern, the shot's name, or
                      // "picture" for a wait until QEMU's pictures hold still
    int milliseconds = 0;
    // A wait for the loader's output with no key since the last shot: the
    // timeout running out is what ends it.
    bool timeoutRuns = false;
};

inline std::vector<RecordedStep> ReadRecordedSteps(const QByteArray& steps)
{
    std::vector<RecordedStep> read;
    bool keySinceShot = false, shotTaken = false;
    for (const QString& line : QString::fromUtf8(steps).split(u'\n')) {
        const QString command = line.section(u' ', 0, 0);
        const QString rest = line.section(u' ', 1);
        RecordedStep step { RecordedStep::Kind::Other, rest, 0, false };
        if (command == u"key" || command == u"type") {
            step.kind = command == u"key" ? RecordedStep::Kind::Key : RecordedStep::Kind::Type;
            keySinceShot = true;
        } else if (command == u"sleep") {
            step = { RecordedStep::Kind::Sleep, {}, rest.toInt(), false };
        } else if (command == u"wait") {
            const QString what = rest.section(u' ', 0, 0);
            const QString value = rest.section(u' ', 1);
            if (what == u"stable" || what == u"dumpstable") {
                step = { RecordedStep::Kind::WaitStable, what == u"dumpstable" ? QStringLiteral("picture") : QString(),
                    value.toInt(), false };
            } else {
                step.kind = what == u"text" ? RecordedStep::Kind::WaitText
                    : what == u"serial"     ? RecordedStep::Kind::WaitSerial
                                            : RecordedStep::Kind::WaitNewSerial;
                step.argument = value;
                step.timeoutRuns = shotTaken && !keySinceShot;
            }
        } else if (command == u"shot") {
            step.kind = RecordedStep::Kind::Shot;
            shotTaken = true;
            keySinceShot = false;
        } else {
            continue;
        }
        read.push_back(step);
    }
    return read;
}

// A key step's chords or a type step's text a character at a time, as the
// simulated loader and QEMU each take them; none for other steps. A chord
// that is no key is named in error.
inline std::optional<std::vector<KeyPress>> StepPresses(const RecordedStep& step, QString& error)
{
    if (step.kind == RecordedStep::Kind::Key)
        return ReadKeys(step.argument, error);
    std::vector<KeyPress> presses;
    if (step.kind == RecordedStep::Kind::Type) {
        for (QChar character : step.argument)
            presses.push_back(PressOf(Keys::Key::Typed(static_cast<char>(character.unicode()))));
    }
    return presses;
}
