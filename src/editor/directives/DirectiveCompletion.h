#pragma once

#include "config/ConfigDirectives.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class EditorHost;
class QCompleter;
class QPlainTextEdit;
class QStandardItemModel;

// The keywords a configuration line may go on with at the caret: those of
// the line's start, or MENU's words after MENU.
struct DirectiveChoice {
    int start = 0; // the column the words being completed start at
    QString typed; // what of them is written so far
    std::vector<const ConfigDirectives::Directive*> directives;
    // What replaces typed for a directive: its words in the case typed was
    // begun in, and a blank when something follows them.
    QString Completed(const ConfigDirectives::Directive& directive) const;
};
// In a TEXT HELP block only ENDTEXT ends the text; any other word is text.
std::optional<DirectiveChoice> DirectiveChoiceAt(const QString& line, int column, bool inHelpText = false);
// Whether the lines before a line, which previous gives nearest first
// (nothing at the start), leave it in a TEXT HELP block; only the nearest
// HelpTextLook lines are read.
bool InHelpText(const std::function<std::optional<QString>()>& previous);
inline constexpr int HelpTextLook = 1000;

// Completion of a configuration's keywords in the editor: Ctrl+Space, or on
// its own once two letters of a keyword are typed; each word with its
// syntax and what it does.
class DirectiveCompletion : public QObject {
    Q_OBJECT

public:
    explicit DirectiveCompletion(EditorHost& host);

    QCompleter& Completer() const { return *m_completer; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Shows the choice at the caret, or hides the list when there is none
    // (or, unless asked for, fewer than two letters of it).
    void Offer(bool asked);
    void Complete(int row);
    void Hide();

    EditorHost& m_host;
    QPlainTextEdit& m_editor;
    QCompleter* m_completer;
    QStandardItemModel* m_model;
    std::optional<DirectiveChoice> m_choice;
    bool m_asked = false; // the list was asked for with Ctrl+Space
    bool m_completing = false; // our own insertion is changing the text
};
