#pragma once

#include <QDialog>

class QPlainTextEdit;

// The help window, "Not A Real Help": one read-only text, closed with its
// close box, shown modally and kept for the next time.
class TNARHForm : public QDialog {
    Q_OBJECT

public:
    explicit TNARHForm(QWidget* parent = nullptr);

    static QString HelpText();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // The one control, by its name and as objectName.
    struct Form {
        QPlainTextEdit* Help_file = nullptr;

        void SetUp(QDialog& window);
    };

    Form m_form;
};
