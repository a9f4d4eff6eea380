#include "editor/window/About.h"

#include "common/Named.h"
#include "editor/window/ProgramIcon.h"

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
    m_form.SetUp(*this);
    connect(m_form.OKButton, &QPushButton::clicked, this, &TAboutBox::OKButtonClick);
}

void TAboutBox::Form::SetUp(QDialog& box)
{
    Panel1 = Named(new QFrame(&box), "Panel1");
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(2);
    Panel1->setGeometry(8, 8, 281, 161);

    ProgramIcon = Named(new QLabel(Panel1), "ProgramIcon");
    ProgramIcon->setPixmap(::ProgramIcon().pixmap(64, 64));
    ProgramIcon->setGeometry(8, 8, 64, 64);

    ProductName = Named(new QLabel(QStringLiteral("Glimra"), Panel1), "ProductName");
    ProductName->move(88, 16);
    QFont bold = ProductName->font();
    bold.setBold(true);
    ProductName->setFont(bold);
    Version = Named(new QLabel(tr("Version 1.0.1"), Panel1), "Version");
    Version->move(88, 40);

    auto* credit = new QLabel(tr("An editor for boot loader display files."), Panel1);
    credit->move(8, 80);
    auto* thanks = new QLabel(tr("Built with Qt. The PC screen's glyphs: DejaVu fonts."), Panel1);
    thanks->setWordWrap(true);
    thanks->setGeometry(8, 104, 173, 40);
    for (QLabel* label : { ProductName, Version, credit })
        label->adjustSize();

    OKButton = Named(new QPushButton(tr("OK"), &box), "OKButton");
    OKButton->setGeometry(111, 180, 75, 25);
    OKButton->setDefault(true);
}

void TAboutBox::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}
