#include "Linter.h"

#include "format/ByteReader.h"
#include "format/DisplayCodes.h"
#include "format/DisplayFile.h"

#include "common/FileAccess.h"

#include <QFile>

#include <cstring>

namespace {

constexpr int ScreenColumns = TextScreen::Columns;
constexpr int ScreenRows = TextScreen::Rows;
constexpr qsizetype Lss16HeaderSize = 4 + 2 + 2 + 16 * 3;
// Larger than any screen's LSS16 image (640 x 480 at 4 bits is 150 KiB).
constexpr qint64 ImageLimit = 4 << 20;

// Walks the file once with the loader's reading and cursor, keeping the
// editor's line and column of each byte.
class Lint {
public:
    Lint(QByteArrayView bytes, const BootFiles* files, const QByteArray& folder, int startRow)
        : m_bytes(bytes)
        , m_files(files)
        , m_folder(folder)
        , m_row(std::clamp(startRow, 0, ScreenRows - 1))
    {
    }
    std::vector<Problem> Run();

private:
    struct Place {
        int line = 1;
        qsizetype lineStart = 0;
    };

    void Report(qsizetype offset, Severity severity, const char* code, const QString& message, Place place);
    void Report(qsizetype offset, Severity severity, const char* code, const QString& message)
    {
        Report(offset, severity, code, message, m_place);
    }
    void Check(qsizetype offset, ByteRole role);
    void CheckDigit(qsizetype offset, ByteRole role);
    void CheckImage(qsizetype offset);
    void CheckCode(qsizetype offset, std::uint8_t code);
    void MoveCursor(qsizetype offset, ByteRole role);
    bool EndsLine(qsizetype offset) const;

    QByteArrayView m_bytes;
    const BootFiles* m_files; // none for a document that was never saved
    QByteArray m_folder;
    ByteReader m_reader { ScreenRules::Boot };
    std::vector<Problem> m_problems;
    // The findings of the line being read, by their code: a file full of one
    // fault costs a comparison a byte, not an allocation.
    std::vector<std::pair<const char*, std::size_t>> m_onLine;
    int m_omitted = 0; // past MostProblems
    Severity m_omittedWorst = Severity::Note;
    Place m_place;
    Place m_command; // where the colour command being read started
    qsizetype m_commandStart = 0;
    int m_lineColumn = 0; // screen columns the line has taken so far
    bool m_wideReported = false; // for this line
    bool m_hiddenReported = false; // for this line
    bool m_scrollReported = false;
    bool m_afterEndReported = false;
    int m_column = 0; // the loader's cursor
    int m_row;
};

void Lint::Report(qsizetype offset, Severity severity, const char* code, const QString& message, Place place)
{
    if (!m_onLine.empty() && m_problems[m_onLine.front().second].line != place.line)
        m_onLine.clear();
    for (const auto& [known, index] : m_onLine) {
        if (std::strcmp(known, code) == 0 && m_problems[index].message == message) {
            ++m_problems[index].count;
            return;
        }
    }
    if (m_problems.size() >= MostProblems) {
        ++m_omitted;
        m_omittedWorst = std::min(m_omittedWorst, severity);
        return;
    }
    m_onLine.emplace_back(code, m_problems.size());
    m_problems.push_back({ place.line, static_cast<int>(offset - place.lineStart) + 1, offset, severity,
        QString::fromLatin1(code), message });
}

// A CR LF pair, a lone CR and a lone LF each end a line, as opening does.
bool Lint::EndsLine(qsizetype offset) const
{
    const char byte = m_bytes[offset];
    if (byte == DisplayCode::LF)
        return true;
    return byte == DisplayCode::CR && (offset + 1 == m_bytes.size() || m_bytes[offset + 1] != DisplayCode::LF);
}

std::vector<Problem> Lint::Run()
{
    for (qsizetype offset = 0; offset < m_bytes.size(); ++offset) {
        const bool inImageLine = m_reader.State().imageLine;
        const ByteRole role = m_reader.Read(m_bytes[offset]);
        if (role == ByteRole::ImageLine && !inImageLine)
            CheckImage(offset);
        Check(offset, role);
        MoveCursor(offset, role);
        if (EndsLine(offset)) {
            m_place = { m_place.line + 1, offset + 1 };
            m_lineColumn = 0;
            m_wideReported = m_hiddenReported = false;
        }
    }
    if (m_reader.State().colour != ReaderState::Colour::None)
        Report(m_commandStart, Severity::Error, "colour-digit", QStringLiteral("colour command without two hex digits"),
            m_command);
    if (m_omitted > 0) {
        const Problem& last = m_problems.back();
        m_problems.push_back({ last.line, last.column, last.offset, m_omittedWorst, QStringLiteral("more"),
            QStringLiteral("and %1 more problems").arg(m_omitted), m_omitted });
    }
    return std::move(m_problems);
}

void Lint::Check(qsizetype offset, ByteRole role)
{
    switch (role) {
    case ByteRole::ColourLead:
        m_command = m_place;
        m_commandStart = offset;
        break;
    case ByteRole::BackgroundDigit:
    case ByteRole::ForegroundDigit: CheckDigit(offset, role); break;
    case ByteRole::Text:
        if (!m_reader.State().OnScreen() && !m_hiddenReported) {
            m_hiddenReported = true;
            Report(offset, Severity::Warning, "hidden-text",
                QStringLiteral("text hidden from the screen by the output selection (0x10-0x17)"));
        }
        break;
    case ByteRole::AfterEnd: {
        const char byte = m_bytes[offset];
        const bool marker = byte == 0x1A || byte == DisplayCode::CR || byte == DisplayCode::LF;
        if (!marker && !m_afterEndReported && offset > 0) {
            m_afterEndReported = true;
            Report(offset, Severity::Warning, "after-end",
                QStringLiteral("text after 0x1A or 0xFF, where the file ends for the loader"));
        }
        break;
    }
    case ByteRole::Code: CheckCode(offset, static_cast<std::uint8_t>(m_bytes[offset])); break;
    default: break;
    }
}

void Lint::CheckDigit(qsizetype offset, ByteRole role)
{
    const char byte = m_bytes[offset];
    const std::optional<int> value = AnyCaseDigitValue(byte);
    if (!value) {
        // The loader swallows the byte and shows what follows in colour 07.
        Report(m_commandStart, Severity::Error, "colour-digit", QStringLiteral("colour command without two hex digits"),
            m_command);
        return;
    }
    if (byte >= 'A' && byte <= 'F')
        Report(offset, Severity::Note, "upper-case-digit",
            QStringLiteral("upper-case digit: the loader takes it, the preview shows no colour"));
    if (role == ByteRole::BackgroundDigit && *value >= 8)
        Report(offset, Severity::Note, "blink", QStringLiteral("background digit 8-f: the text will blink"));
}

void Lint::CheckCode(qsizetype offset, std::uint8_t code)
{
    if (IsResetSequenceCode(code))
        Report(offset, Severity::Warning, "reset-sequence", QStringLiteral("the loader prints \"[0m\" for this byte"));
    else if (code == 0x0E)
        Report(offset, Severity::Warning, "line-drawing",
            QStringLiteral("0x0E switches the rest of the file to line drawing"));
    else if (code == 0x00)
        Report(offset, Severity::Warning, "nul", QStringLiteral("NUL byte"));
}

void Lint::CheckImage(qsizetype offset)
{
    const QByteArray name = DisplayFile::ImageNameAt(m_bytes, offset);
    const QString shown = ShownName(name);
    if (name.isEmpty() || !m_files) {
        Report(offset, Severity::Error, "missing-image",
            name.isEmpty() ? QStringLiteral("the image line names no image")
                           : QStringLiteral("image \"%1\" is not beside the document").arg(shown));
        return;
    }
    // Names are bytes, looked up as the loader would: a name or link that
    // leads out of the image, a FIFO or a device is refused unopened.
    using Failure = BootFiles::Fetched::Failure;
    const BootFiles::Fetched image = m_files->FetchNamed(m_folder, name, ImageLimit).fetched;
    if (image.failure == Failure::Outside)
        Report(offset, Severity::Error, "image-outside",
            QStringLiteral("image \"%1\" leads out of the boot image's folder: it is not read").arg(shown));
    else if (image.failure == Failure::Missing || image.failure == Failure::Unreadable)
        Report(offset, Severity::Error, "missing-image",
            QStringLiteral("image \"%1\" is not beside the document").arg(shown));
    else if (image.failure == Failure::NotAFile)
        Report(offset, Severity::Error, "not-lss16",
            QStringLiteral("image \"%1\" is not an LSS16 file: %2").arg(shown, image.reason.toLower()));
    else if (image.failure != Failure::None || !IsLss16(image.bytes))
        Report(offset, Severity::Error, "not-lss16", QStringLiteral("image \"%1\" is not an LSS16 file").arg(shown));
}

void Lint::MoveCursor(qsizetype offset, ByteRole role)
{
    const char byte = m_bytes[offset];
    const int lineColumn = m_reader.ColumnAfter(m_lineColumn, role, byte);
    if (role == ByteRole::Text && lineColumn > ScreenColumns && !m_wideReported) {
        m_wideReported = true;
        Report(offset, Severity::Warning, "wide-line", QStringLiteral("line wider than 80 columns"));
    }
    m_lineColumn = role == ByteRole::LineBreak ? 0 : lineColumn;
    if (role == ByteRole::Code && byte == DisplayCode::ClearScreen && m_reader.State().OnScreen()) {
        m_column = m_row = 0;
        return;
    }
    const int column = m_reader.ColumnAfter(m_column, role, byte);
    const bool lineFeed = role == ByteRole::LineBreak && byte != DisplayCode::CR && m_reader.State().OnScreen();
    m_row += column / ScreenColumns + (lineFeed ? 1 : 0);
    m_column = column % ScreenColumns;
    if (m_row >= ScreenRows && !m_scrollReported) {
        m_scrollReported = true;
        Report(offset, Severity::Warning, "scrolls", QStringLiteral("the screen scrolls here: its top rows are lost"));
    }
    m_row = std::min(m_row, ScreenRows - 1);
}

}

std::vector<Problem> LintDisplayFile(QByteArrayView bytes, const QString& imageFolder, int startRow)
{
    if (imageFolder.isEmpty())
        return Lint(bytes, nullptr, {}, startRow).Run();
    // A lone document's folder stands for the image it will be on.
    const BootFiles files(imageFolder, "/");
    return Lint(bytes, &files, "/", startRow).Run();
}

std::vector<Problem> LintDisplayFile(
    QByteArrayView bytes, const BootFiles& files, const QByteArray& currentFolder, int startRow)
{
    return Lint(bytes, &files, currentFolder, startRow).Run();
}

std::vector<Problem> LintLoneDisplayFile(QByteArrayView bytes, const QString& imageFolder)
{
    std::vector<Problem> problems = LintDisplayFile(bytes, imageFolder);
    if (!bytes.isEmpty() && bytes.back() != DisplayCode::LF && problems.size() <= MostProblems) {
        const qsizetype lineStart = bytes.lastIndexOf(DisplayCode::LF) + 1;
        int line = 1;
        for (qsizetype at = 0; at < lineStart; ++at) {
            const bool loneCr
                = bytes[at] == DisplayCode::CR && (at + 1 == bytes.size() || bytes[at + 1] != DisplayCode::LF);
            line += bytes[at] == DisplayCode::LF || loneCr;
        }
        problems.push_back({ line, static_cast<int>(bytes.size() - lineStart) + 1, bytes.size(), Severity::Note,
            QStringLiteral("no-final-break"),
            QStringLiteral("the last line has no line break: the loader's boot: prompt follows its text") });
    }
    return problems;
}

QString Problem::Text() const
{
    return count > 1 && code != u"more" ? QStringLiteral("%1 (%2 times on this line)").arg(message).arg(count)
                                        : message;
}

QString SeverityName(Severity severity)
{
    switch (severity) {
    case Severity::Error: return QStringLiteral("error");
    case Severity::Warning: return QStringLiteral("warning");
    default: return QStringLiteral("note");
    }
}

bool IsLss16(QByteArrayView bytes)
{
    if (bytes.size() < Lss16HeaderSize || !bytes.startsWith("\x3D\xF3\x13\x14"))
        return false;
    const auto word
        = [&](int at) { return static_cast<std::uint8_t>(bytes[at]) | static_cast<std::uint8_t>(bytes[at + 1]) << 8; };
    if (word(4) == 0 || word(6) == 0)
        return false;
    for (qsizetype at = 8; at < Lss16HeaderSize; ++at) {
        if (static_cast<std::uint8_t>(bytes[at]) > 63)
            return false;
    }
    return true;
}
