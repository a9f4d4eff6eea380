#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

// The about box: the program's icon, name, version and credits, closed by
// OK (the default button, so Enter closes it too).
class TAboutBox : public QDialog {
    Q_OBJECT

public:
    explicit TAboutBox(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The controls, by the names of the design and as objectName.
    struct Form {
        QFrame* Panel1 = nullptr;
        QLabel* ProgramIcon = nullptr;
        QLabel* ProductName = nullptr;
        QLabel* Version = nullptr;
        QPushButton* OKButton = nullptr;

        void SetUp(QDialog& box);
    };

    void OKButtonClick() { accept(); }

    Form m_form;
};
