#include "editor/configuration/LoaderChoice.h"

#include "common/Settings.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QUrl>

LoaderChoice::LoaderChoice(EditorHost& host)
    : QObject(&host.Window())
    , m_menu(new QMenu(tr("Loader &Version"), &host.Window()))
    , m_group(new QActionGroup(this))
    , m_status(new QLabel(&host.Window()))
{
    m_menu->setObjectName(QStringLiteral("LoaderVersion1"));
    m_menu->setEnabled(false);
    m_status->setObjectName(QStringLiteral("LoaderStatus"));
    m_status->hide();
    host.AddStatus(m_status);
    const std::vector<LoaderVersion> known = LoaderVersion::Known();
    for (int index = -1; index < static_cast<int>(known.size()); ++index) {
        const QString text = index < 0 ? tr("From the &Tree") : QStringLiteral("ISOLINUX &%1").arg(known[index].Name());
        QAction* action = m_menu->addAction(text);
        action->setObjectName(index < 0 ? QStringLiteral("LoaderFromTree")
                                        : QStringLiteral("Loader%1").arg(known[index].Name().remove(u'.')));
        action->setCheckable(true);
        action->setChecked(index < 0);
        m_group->addAction(action);
        connect(action, &QAction::triggered, this, [this, index] { Choose(index); });
        if (index < 0)
            m_menu->addSeparator();
    }
    host.AddAction(EditorHost::Place::ViewScreens, m_menu->menuAction());
}

QString LoaderChoice::SettingsKey(const QString& root)
{
    // A path's slashes would make groups of it.
    return QStringLiteral("LoaderVersion/") + QString::fromLatin1(QUrl::toPercentEncoding(root));
}

void LoaderChoice::SetTree(const QString& root, const LoaderDetection& detection)
{
    m_detected = detection.version;
    if (root != m_root) {
        m_root = root;
        const QString stored = QSettings().value(SettingsKey(root)).toString();
        const std::vector<LoaderVersion> known = LoaderVersion::Known();
        m_chosen = -1;
        for (int index = 0; index < static_cast<int>(known.size()); ++index) {
            if (known[index].Name() == stored)
                m_chosen = index;
        }
    }
    m_menu->setEnabled(true);
    ShowChoice();
}

void LoaderChoice::Clear()
{
    m_root.clear();
    m_chosen = -1;
    m_menu->setEnabled(false);
    m_status->hide();
}

LoaderVersion LoaderChoice::Loader() const { return m_chosen < 0 ? m_detected : LoaderVersion::Known()[m_chosen]; }

void LoaderChoice::Choose(int known)
{
    if (m_root.isEmpty())
        return;
    m_chosen = known;
    StoreSetting(SettingsKey(m_root), known < 0 ? QStringLiteral("tree") : LoaderVersion::Known()[known].Name());
    ShowChoice();
    emit Changed();
}

void LoaderChoice::ShowChoice()
{
    m_group->actions()[m_chosen + 1]->setChecked(true);
    m_status->setText(DescribeLoader(Loader()));
    m_status->show();
}
