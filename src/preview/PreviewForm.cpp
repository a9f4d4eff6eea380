#include "PreviewForm.h"

#include "common/Named.h"
#include "console/qt/ConsoleWidget.h"

#include <QPushButton>

void PreviewForm::SetUp(QWidget& window, TConsole& console)
{
    window.setWindowTitle(QWidget::tr("Preview"));
    window.move(192, 107);
    window.setBackgroundRole(QPalette::Button);
    window.setAutoFillBackground(true);
    Terminal1 = Named(new ConsoleWidget(console, &window), "Terminal1");
    Button1 = Named(new QPushButton(QWidget::tr("Refresh"), &window), "Button1");
    Button2 = Named(new QPushButton(QWidget::tr("Close"), &window), "Button2");
    QWidget::setTabOrder(Button1, Button2);
}

void PreviewForm::LayOut(QWidget& window) const
{
    const QSize console = Terminal1->SizeForWholeGrid();
    Terminal1->setGeometry(0, 0, console.width(), console.height());
    const int buttonTop = console.height() + 7;
    Button1->setGeometry(0, buttonTop, 75, 25);
    Button2->setGeometry(console.width() - 75, buttonTop, 75, 25);
    window.setFixedSize(console.width(), buttonTop + 25 + 4);
}
