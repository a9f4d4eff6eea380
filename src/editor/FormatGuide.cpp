#include "FormatGuide.h"

#include <QFile>
#include <QTextBrowser>
#include <QVBoxLayout>

FormatGuide::FormatGuide(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormatGuide"));
    setWindowTitle(tr("Display File Format"));
    auto* text = new QTextBrowser(this);
    text->setObjectName(QStringLiteral("GuideText"));
    text->setOpenExternalLinks(false);
    QFile guide(QStringLiteral(":/guide/format-guide.html"));
    guide.open(QIODevice::ReadOnly);
    text->setHtml(QString::fromUtf8(guide.readAll()));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(text);
    resize(640, 560);
}
