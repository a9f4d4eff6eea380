#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

// The modeless Find and Replace dialogs over the document as it is shown.
// Find Next selects the next match (down or up); Replace replaces the
// selected match and finds the next; Replace All replaces every match as
// one edit, which Undo takes back whole.
class FindReplaceDialog : public QDialog {
    Q_OBJECT

public:
    FindReplaceDialog(QPlainTextEdit& editor, bool withReplace, QWidget* parent = nullptr);

private:
    // The controls, by objectName: FindWhat, ReplaceWith, MatchCase,
    // WholeWord, Up, Down and the buttons FindNext, Replace, ReplaceAll, Cancel.
    QLineEdit* FindWhat;
    QLineEdit* ReplaceWith = nullptr;
    QCheckBox* MatchCase;
    QCheckBox* WholeWord;
    QRadioButton* Up;
    QRadioButton* Down;

    bool FindNext();
    void ReplaceOne();
    int ReplaceAll();

    bool SelectionMatches() const;
    bool ReplacementRepresentable();
    void NotFound();

    QPlainTextEdit& m_editor;
};
