#pragma once

#include <QDialog>

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
    // The controls, by objectName: Panel1, ProgramIcon, ProductName,
    // Version, OKButton.
    QLabel* ProductName;
    QLabel* Version;
    QPushButton* OKButton;

    void OKButtonClick() { accept(); }
};
