#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class DocumentEdit;
class QPushButton;
class QRadioButton;

// The modeless Find and Replace dialogs over the document as it is shown.
// Find Next selects the next match (down or up), going on from the other
// end of the document when there is none before it; Replace replaces the
// selected match and finds the next; Replace All replaces every match as
// one edit, which Undo takes back whole.
class FindReplaceDialog : public QDialog {
    Q_OBJECT

public:
    FindReplaceDialog(DocumentEdit& editor, bool withReplace, QWidget* parent = nullptr);

    // Finds the next match of what the dialog holds; false when it holds
    // nothing to find.
    bool FindAgain();

signals:
    // A search went past an end of the document: what to tell the user.
    void Wrapped(const QString& note);

private:
    // The controls, by the names the handlers use and as objectName.
    struct Form {
        QLineEdit* FindWhat = nullptr;
        QLineEdit* ReplaceWith = nullptr; // the Replace dialog only
        QCheckBox* MatchCase = nullptr;
        QCheckBox* WholeWord = nullptr;
        QRadioButton* Up = nullptr;
        QRadioButton* Down = nullptr;
        QPushButton* FindNext = nullptr;
        QPushButton* Replace = nullptr;
        QPushButton* ReplaceAll = nullptr;
        QPushButton* Cancel = nullptr;

        void SetUp(QDialog& dialog, bool withReplace);
    };

    void WireHandlers();
    bool FindNext();
    void ReplaceOne();
    int ReplaceAll();

    bool SelectionMatches() const;
    bool ReplacementRepresentable();
    void NotFound();

    Form m_form;
    DocumentEdit& m_editor;
};
