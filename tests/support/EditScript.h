#pragma once

// Edits a document control as a user would (keys, selections, the
// clipboard, undo and redo) and the same edits on a plain byte string; after
// each step the control's bytes must be the string's. Shared by the model
// test and the document fuzz target.
#include "editor/document/DocumentEdit.h"
#include "format/Cp437.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class EditScript {
public:
    EditScript(DocumentEdit& edit, const QByteArray& start)
        : m_edit(edit)
        , m_bytes(start)
    {
        m_edit.SetBytes(start);
        QApplication::clipboard()->setText(QString::fromLatin1(m_clipboard));
    }

    // One step, chosen and placed by three numbers; what went wrong, or
    // nothing.
    std::string Step(std::uint32_t kind, std::uint32_t first, std::uint32_t second)
    {
        const QByteArray before = m_bytes;
        std::string done;
        switch (kind % 12) {
        case 0:
            Type(static_cast<char>('a' + first % 26));
            done = "type";
            break;
        case 1:
            Edit(Qt::Key_Return, "\r\n");
            done = "enter";
            break;
        case 2:
            Erase(Qt::Key_Backspace);
            done = "backspace";
            break;
        case 3:
            Erase(Qt::Key_Delete);
            done = "delete";
            break;
        case 4:
        case 5: done = Select(first, second); break;
        case 6: done = Copy(false); break;
        case 7: done = Copy(true); break;
        case 8:
            Replace(m_clipboard);
            m_edit.paste();
            done = "paste";
            break;
        case 9: return Undo(true);
        case 10: return Undo(false);
        default: Caret(first); return Check("caret");
        }
        if (done.empty() || done.front() == '!')
            return done.empty() ? std::string() : done;
        if (m_bytes != before) {
            m_history.push_back(before);
            m_future.clear();
        }
        return Check(done);
    }

    const QByteArray& Bytes() const { return m_bytes; }

private:
    std::string Check(const std::string& step) const
    {
        const QByteArray actual = m_edit.Bytes();
        if (actual == m_bytes)
            return {};
        qsizetype at = 0;
        while (at < actual.size() && at < m_bytes.size() && actual[at] == m_bytes[at])
            ++at;
        return "after " + step + ": the document's bytes differ from offset " + std::to_string(at) + " (sizes "
            + std::to_string(actual.size()) + " and " + std::to_string(m_bytes.size()) + "): "
            + actual.mid(at, 8).toHex().toStdString() + " instead of " + m_bytes.mid(at, 8).toHex().toStdString();
    }
    // The selection's bytes in the model, by the control's byte offsets.
    std::pair<qsizetype, qsizetype> Range() const
    {
        const QTextCursor caret = m_edit.textCursor();
        return { m_edit.ByteOffsetOf(caret.selectionStart()), m_edit.ByteOffsetOf(caret.selectionEnd()) };
    }
    void Replace(const QByteArray& text)
    {
        const auto [from, to] = Range();
        m_bytes.replace(from, to - from, text);
    }
    void Type(char letter)
    {
        Replace(QByteArray(1, letter));
        QTest::keyClicks(&m_edit, QString(QLatin1Char(letter)));
    }
    void Edit(Qt::Key key, const QByteArray& text)
    {
        Replace(text);
        QTest::keyClick(&m_edit, key);
    }
    // A selection goes; otherwise one character, a line break being two bytes.
    void Erase(Qt::Key key)
    {
        auto [from, to] = Range();
        if (from == to) {
            const bool back = key == Qt::Key_Backspace;
            const qsizetype at = back ? from - 2 : from;
            const qsizetype size = at >= 0 && m_bytes.mid(at, 2) == "\r\n" ? 2 : 1;
            from = back ? std::max<qsizetype>(0, from - size) : from;
            to = back ? to : std::min(m_bytes.size(), to + size);
        }
        m_bytes.remove(from, to - from);
        QTest::keyClick(&m_edit, key);
    }
    void Caret(std::uint32_t at)
    {
        QTextCursor caret = m_edit.textCursor();
        caret.setPosition(static_cast<int>(at % static_cast<std::uint32_t>(m_edit.document()->characterCount())));
        m_edit.setTextCursor(caret);
    }
    // Any two character positions, joins included; the text the control
    // gives for them must be the model's bytes there.
    std::string Select(std::uint32_t anchor, std::uint32_t caret)
    {
        const auto count = static_cast<std::uint32_t>(m_edit.document()->characterCount());
        QTextCursor selection = m_edit.textCursor();
        selection.setPosition(static_cast<int>(anchor % count));
        selection.setPosition(static_cast<int>(caret % count), QTextCursor::KeepAnchor);
        m_edit.setTextCursor(selection);
        const auto [from, to] = Range();
        const QString text = m_edit.TextBetween(selection.selectionStart(), selection.selectionEnd());
        if (Cp437::EncodeDocument(text).bytes != m_bytes.mid(from, to - from))
            return "!the selected text is not the bytes at its offsets";
        return {};
    }
    std::string Copy(bool cut)
    {
        const auto [from, to] = Range();
        if (from == to)
            return {};
        m_clipboard = m_bytes.mid(from, to - from);
        if (cut) {
            m_bytes.remove(from, to - from);
            QTest::keyClick(&m_edit, Qt::Key_X, Qt::ControlModifier);
        } else {
            m_edit.copy();
        }
        if (Cp437::EncodeDocument(QApplication::clipboard()->text()).bytes != m_clipboard)
            return "!the clipboard does not hold the selected bytes";
        return cut ? "cut" : "copy";
    }
    // Qt joins typing into one undo step, so an undo may go back several
    // steps of the model: the document must be one of the model's earlier
    // states (or, for redo, later ones).
    std::string Undo(bool undo)
    {
        undo ? m_edit.undo() : m_edit.redo();
        const QByteArray now = m_edit.Bytes();
        if (now == m_bytes)
            return {};
        std::vector<QByteArray>& from = undo ? m_history : m_future;
        std::vector<QByteArray>& to = undo ? m_future : m_history;
        while (!from.empty()) {
            to.push_back(std::exchange(m_bytes, from.back()));
            from.pop_back();
            if (m_bytes == now)
                return {};
        }
        return undo ? "after undo: no earlier state of the document" : "after redo: no later state of the document";
    }

    DocumentEdit& m_edit;
    QByteArray m_bytes;
    QByteArray m_clipboard = "clip";
    std::vector<QByteArray> m_history;
    std::vector<QByteArray> m_future;
};
