#include "editor/designer/MenuDesigner.h"

#include "editor/designer/DesignerDock.h"
#include "editor/document/DocumentEdit.h"
#include "editor/document/DocumentTabs.h"
#include "editor/widgets/DockEntry.h"
#include "format/Cp437.h"

#include <QAction>
#include <QFileInfo>
#include <QMainWindow>
#include <QTextCursor>
#include <QTextDocument>

using namespace Design;

MenuDesigner::MenuDesigner(EditorHost& host)
    : QObject(&host.Window())
    , m_host(host)
    , m_dock(new DesignerDock(*this, &host.Window()))
{
    m_dock->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    host.Window().addDockWidget(Qt::RightDockWidgetArea, m_dock);
    m_dock->hide();
    auto* entry = new QAction(tr("Menu &Designer"), &host.Window());
    entry->setObjectName(QStringLiteral("MenuDesigner1"));
    entry->setShortcut(QKeySequence(Qt::Key_F8));
    ReachDock(entry, m_dock, m_dock->Tree(), [&host] { host.FocusDocument(); });
    // A hidden dock reads nothing: the menu is read when it shows.
    connect(m_dock, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible && m_stale)
            Reload();
    });
    host.AddAction(EditorHost::Place::ViewDocks, entry);
    // Typing comes in bursts; the shown dock reads the menu again once one is over.
    m_reload.setSingleShot(true);
    m_reload.setInterval(150);
    connect(&m_reload, &QTimer::timeout, this, [this] {
        if (m_stale && m_dock->isVisible())
            Reload();
    });
    host.Documents().FollowEdits(this, [this](const Document&) {
        if (m_writing || m_configFile.isEmpty())
            return;
        m_stale = true;
        m_reload.start();
    });
}

MenuDesigner::~MenuDesigner() = default;

void MenuDesigner::SetConfiguration(const QString& configFile)
{
    m_configFile = configFile.isEmpty() ? QString() : QFileInfo(configFile).absoluteFilePath();
    m_stale = true;
    if (m_dock->isVisible() || m_configFile.isEmpty())
        Reload();
}

void MenuDesigner::Reload()
{
    m_stale = false;
    m_reload.stop();
    if (m_configFile.isEmpty()) {
        m_model.reset();
        m_dock->Show(nullptr);
        return;
    }
    BootFiles files = BootFiles::ForConfiguration(m_configFile);
    const QHash<QString, QByteArray> texts = m_host.Documents().Texts();
    for (auto text = texts.begin(); text != texts.end(); ++text)
        files.SetText(text.key(), text.value());
    m_model = std::make_unique<MenuDesign>(std::move(files));
    m_dock->Show(m_model.get());
}

const MenuDesign* MenuDesigner::Model()
{
    if (m_stale)
        Reload();
    return m_model.get();
}

bool MenuDesigner::Perform(const Operation& operation)
{
    if (m_stale)
        Reload();
    if (!m_model)
        return false;
    Change change = operation(*m_model);
    // A file not open yet opens in its tab; the change is found again in
    // the document's text, whose line breaks the editor holds as CR LF.
    bool opened = false;
    for (const FileEdit& edit : change.edits) {
        const std::optional<QString> path = m_model->Files().HostPath(edit.file);
        if (path && !m_host.Documents().Find(*path)) {
            m_host.OpenAt(*path, 1);
            opened = true;
        }
    }
    if (opened) {
        Reload();
        change = operation(*m_model);
    }
    if (change.Refused() || change.edits.empty()) {
        m_dock->Say(change.Refused() ? change.refusal : tr("Nothing changes."));
        return false;
    }
    if (!Write(change))
        return false;
    m_dock->Say({});
    Reload();
    emit Changed();
    return true;
}

// Each file's edits as one undo step of its document.
bool MenuDesigner::Write(const Change& change)
{
    std::vector<QByteArray> files;
    for (const FileEdit& edit : change.edits) {
        if (std::find(files.begin(), files.end(), edit.file) == files.end())
            files.push_back(edit.file);
    }
    m_writing = true;
    bool written = true;
    for (const QByteArray& file : files) {
        const std::optional<QString> path = m_model->Files().HostPath(file);
        Document* document = path ? m_host.Documents().Find(*path) : nullptr;
        if (!document) {
            m_dock->Say(tr("%1 could not be opened to change it.").arg(QString::fromLatin1(file)));
            written = false;
            break;
        }
        std::vector<const FileEdit*> edits;
        for (const FileEdit& edit : change.edits) {
            if (edit.file == file)
                edits.push_back(&edit);
        }
        std::sort(edits.begin(), edits.end(), [](const FileEdit* a, const FileEdit* b) { return a->begin > b->begin; });
        QTextCursor cursor(&document->Text());
        cursor.beginEditBlock();
        for (const FileEdit* edit : edits) {
            cursor.setPosition(document->PositionOfByte(edit->begin));
            cursor.setPosition(document->PositionOfByte(edit->end), QTextCursor::KeepAnchor);
            DocumentEdit::ReplaceSelection(cursor, Cp437::DecodeDocument(edit->text));
        }
        cursor.endEditBlock();
    }
    m_writing = false;
    m_host.Documents().Relabel();
    return written;
}

void MenuDesigner::Select(const EntryRef& ref)
{
    if (m_stale)
        Reload();
    m_dock->Select(ref);
}

std::optional<EntryRef> MenuDesigner::Selected() const { return m_dock->Selected(); }

void MenuDesigner::EditName(const EntryRef& ref)
{
    if (m_dock->isHidden()) {
        m_dock->show();
        m_dock->raise();
    }
    if (m_stale)
        Reload();
    m_dock->EditName(ref);
}
