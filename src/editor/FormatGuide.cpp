#include "FormatGuide.h"

#include <QAction>
#include <QFile>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QVBoxLayout>

QString FormatGuide::ShortcutRows(const QList<QAction*>& actions)
{
    QString rows;
    for (const QAction* action : actions) {
        QStringList keys;
        for (const QKeySequence& shortcut : action->shortcuts())
            keys << shortcut.toString(QKeySequence::NativeText).toHtmlEscaped();
        if (keys.isEmpty())
            continue;
        QString name = action->text();
        name.remove(QRegularExpression(QStringLiteral("&(?!&)"))).replace(QStringLiteral("&&"), QStringLiteral("&"));
        if (name.endsWith(QStringLiteral("...")))
            name.chop(3);
        rows += QStringLiteral("<tr><td>%1</td><td>%2</td></tr>\n")
                    .arg(keys.join(QStringLiteral(", ")), name.toHtmlEscaped());
    }
    return rows;
}

FormatGuide::FormatGuide(const QList<QAction*>& actions, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormatGuide"));
    setWindowTitle(tr("Display File Format"));
    auto* text = new QTextBrowser(this);
    text->setObjectName(QStringLiteral("GuideText"));
    text->setOpenExternalLinks(false);
    QFile guide(QStringLiteral(":/guide/format-guide.html"));
    guide.open(QIODevice::ReadOnly);
    text->setHtml(
        QString::fromUtf8(guide.readAll()).replace(QStringLiteral("<!-- shortcuts -->"), ShortcutRows(actions)));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(text);
    resize(640, 560);
}
