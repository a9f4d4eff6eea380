#include "About.h"

#include "ProgramIcon.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(tr("About"));
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedSize(298, 213);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(2);
    panel->setGeometry(8, 8, 281, 161);

    auto* icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setPixmap(ProgramIcon().pixmap(64, 64));
    icon->setGeometry(8, 8, 64, 64);

    ProductName = new QLabel(QStringLiteral("Glimra"), panel);
    ProductName->setObjectName(QStringLiteral("ProductName"));
    ProductName->move(88, 16);
    QFont bold = ProductName->font();
    bold.setBold(true);
    ProductName->setFont(bold);
    Version = new QLabel(tr("Version 1.0.1"), panel);
    Version->setObjectName(QStringLiteral("Version"));
    Version->move(88, 40);

    auto* credit = new QLabel(tr("An editor for boot loader display files."), panel);
    credit->move(8, 80);
    auto* thanks = new QLabel(tr("Built with Qt. The PC screen's glyphs: DejaVu fonts."), panel);
    thanks->setWordWrap(true);
    thanks->setGeometry(8, 104, 173, 40);
    for (QLabel* label : { ProductName, Version, credit })
        label->adjustSize();

    OKButton = new QPushButton(tr("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(111, 180, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &TAboutBox::OKButtonClick);
}

void TAboutBox::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}
