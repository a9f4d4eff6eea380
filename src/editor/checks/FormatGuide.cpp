#include "editor/checks/FormatGuide.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <functional>

QList<QAction*> FormatGuide::ActionsOf(const QWidget& window)
{
    QList<QAction*> ordered;
    const std::function<void(const QList<QAction*>&)> walk = [&](const QList<QAction*>& actions) {
        for (QAction* action : actions) {
            if (action->menu())
                walk(action->menu()->actions());
            else if (!ordered.contains(action))
                ordered << action;
        }
    };
    for (const QMenuBar* bar : window.findChildren<QMenuBar*>())
        walk(bar->actions());
    for (QAction* action : window.findChildren<QAction*>()) {
        if (!ordered.contains(action))
            ordered << action;
    }
    return ordered;
}

std::vector<FormatGuide::Shortcut> FormatGuide::Shortcuts(const QList<QAction*>& actions)
{
    std::vector<Shortcut> shortcuts;
    for (const QAction* action : actions) {
        QStringList keys;
        for (const QKeySequence& shortcut : action->shortcuts())
            keys << shortcut.toString(QKeySequence::NativeText);
        if (keys.isEmpty())
            continue;
        QString name = action->text();
        name.remove(QRegularExpression(QStringLiteral("&(?!&)"))).replace(QStringLiteral("&&"), QStringLiteral("&"));
        if (name.endsWith(QStringLiteral("...")))
            name.chop(3);
        shortcuts.push_back({ keys, name });
    }
    return shortcuts;
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
    QString rows;
    for (const Shortcut& shortcut : Shortcuts(actions))
        rows += QStringLiteral("<tr><td>%1</td><td>%2</td></tr>\n")
                    .arg(shortcut.keys.join(QStringLiteral(", ")).toHtmlEscaped(), shortcut.name.toHtmlEscaped());
    text->setHtml(QString::fromUtf8(guide.readAll()).replace(QStringLiteral("<!-- shortcuts -->"), rows));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(text);
    resize(640, 560);
}
