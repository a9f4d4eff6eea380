#include "editor/designer/DesignerDock.h"

#include "common/Named.h"
#include "config/LoaderDetection.h"
#include "design/MenuLook.h"
#include "editor/background/BackgroundPanel.h"
#include "editor/designer/DesignerLook.h"
#include "editor/designer/MenuDesigner.h"

#include <QDropEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>

using namespace Design;

namespace {

constexpr int MenuRole = Qt::UserRole;
constexpr int EntryRole = Qt::UserRole + 1;

EntryRef RefOf(const QTreeWidgetItem* item)
{
    return { item->data(0, MenuRole).toInt(), item->data(0, EntryRole).toInt() };
}

QString Text(const QByteArray& bytes) { return QString::fromLatin1(bytes); }

// What the tree says of an entry beside its name.
QString Marks(const MenuEntry& entry, bool repeatedHotkey)
{
    QStringList marks;
    if (entry.isDefault)
        marks << QObject::tr("default");
    if (entry.action == MenuAction::Disabled && !entry.displayName.isEmpty())
        marks << QObject::tr("disabled");
    if (entry.password)
        marks << QObject::tr("password");
    if (entry.action == MenuAction::Exit)
        marks << QObject::tr("exit");
    if (repeatedHotkey)
        marks << QObject::tr("hotkey used twice");
    return marks.join(QStringLiteral(", "));
}

}

DesignerTree::DesignerTree(QWidget* parent)
    : QTreeWidget(parent)
{
    setDragDropMode(QAbstractItemView::InternalMove);
    setDefaultDropAction(Qt::MoveAction);
}

// The drop is a request: the lines move, and the tree is filled again from them.
void DesignerTree::dropEvent(QDropEvent* event)
{
    QTreeWidgetItem* moved = currentItem();
    QTreeWidgetItem* target = itemAt(event->position().toPoint());
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
    if (!moved || !target || target == moved || RefOf(moved).entry < 0 || RefOf(target).menu != RefOf(moved).menu
        || RefOf(target).entry < 0)
        return;
    emit Dropped(RefOf(moved), RefOf(target).entry);
}

DesignerDock::DesignerDock(MenuDesigner& designer, QWidget* parent)
    : QDockWidget(tr("Menu Designer"), parent)
    , m_designer(designer)
    , m_pages(Named(new QTabWidget(this), "DesignerPages"))
{
    setObjectName(QStringLiteral("MenuDesignerDock"));
    m_look = new DesignerLook(designer, m_pages);
    m_pages->addTab(CreateEntries(), tr("&Entries"));
    m_pages->addTab(m_look, tr("&Look"));
    CreateBackground();
    setWidget(m_pages);
}

// The picture is the chosen menu's MENU BACKGROUND, written as the Look
// page writes it, so the same refusals hold.
void DesignerDock::CreateBackground()
{
    m_background = Named(new BackgroundPanel(m_pages), "DesignerBackgroundPanel");
    m_pages->addTab(m_background, tr("&Background"));
    connect(m_pages, &QTabWidget::currentChanged, this, [this] { ShowBackground(); });
    connect(m_background, &BackgroundPanel::Chosen, this, [this](const QByteArray& name) {
        const int menu = Selected() ? Selected()->menu : MenuConfig::RootMenu;
        m_designer.Perform([menu, name](const MenuDesign& model) {
            return model.SetSetting(menu, { Setting::Kind::Background, 0 }, name);
        });
    });
}

// Read only while the page shows: the loader's build is read from its file.
void DesignerDock::ShowBackground()
{
    if (m_pages->currentWidget() != m_background || !m_model || !m_model->HasMenu())
        return;
    const int menu = Selected() ? Selected()->menu : MenuConfig::RootMenu;
    const QByteArray& start = m_model->Run()->place.file;
    const QByteArray folder = start.left(std::max<qsizetype>(0, start.lastIndexOf('/')));
    const auto [width, height] = MenuResolution(m_model->Menus());
    m_background->SetMenu(m_model->Files(), folder, QSize(width, height), DetectLoader(m_model->Files()).version,
        m_model->Menus().At(menu).background);
}

QWidget* DesignerDock::CreateEntries()
{
    auto* page = new QWidget(m_pages);
    auto* layout = new QVBoxLayout(page);
    m_tree = Named(new DesignerTree(page), "DesignerTree");
    m_tree->setHeaderLabels({ tr("Entry"), tr("Label"), tr("Marks") });
    m_tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this] {
        if (m_filling)
            return;
        ShowEntry();
        if (const std::optional<EntryRef> ref = Selected())
            emit m_designer.SelectionMoved(ref->menu, ref->entry);
    });
    connect(m_tree, &DesignerTree::Dropped, this, [this](const EntryRef& from, int to) {
        const int by = to > from.entry ? 1 : -1;
        for (EntryRef at = from; at.entry != to; at.entry += by) {
            if (!m_designer.Perform([at, by](const MenuDesign& model) { return model.Move(at, by); }))
                break;
            Select({ at.menu, at.entry + by });
        }
    });
    m_message = Named(new QLabel(page), "DesignerMessage");
    m_message->setWordWrap(true);
    m_message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_tree, 1);
    layout->addWidget(CreateButtons());
    layout->addWidget(m_message);
    layout->addWidget(CreateProperties());
    return page;
}

// A command as a button, with keys that work while the tree has the keyboard.
void DesignerDock::AddCommand(
    QWidget* to, QPushButton* button, const QKeySequence& keys, const std::function<void()>& act)
{
    button->setFocusPolicy(Qt::StrongFocus);
    to->layout()->addWidget(button);
    connect(button, &QPushButton::clicked, this, act);
    if (!keys.isEmpty()) {
        auto* shortcut = new QShortcut(keys, m_tree, nullptr, nullptr, Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, this, act);
        button->setToolTip(keys.toString(QKeySequence::NativeText));
    }
}

QWidget* DesignerDock::CreateButtons()
{
    auto* buttons = new QWidget(this);
    auto* grid = new QHBoxLayout(buttons);
    grid->setContentsMargins(0, 0, 0, 0);
    m_templates = new QMenu(this);
    const std::array<std::pair<QString, Template>, 6> templates = { {
        { tr("&Linux kernel and initrd"), Template::Linux },
        { tr("Local disk (&LOCALBOOT)"), Template::LocalBoot },
        { tr("Local disk (&chain.c32)"), Template::Chain },
        { tr("&Submenu"), Template::Submenu },
        { tr("Se&parator"), Template::Separator },
        { tr("MENU &EXIT"), Template::MenuExit },
    } };
    for (const auto& [name, kind] : templates)
        m_templates->addAction(name, this, [this, kind = kind] { AddFromTemplate(kind); });
    const auto add = [this] {
        const QRect place = m_tree->currentItem() ? m_tree->visualItemRect(m_tree->currentItem()) : QRect();
        m_templates->popup(m_tree->viewport()->mapToGlobal(place.bottomLeft()));
    };
    AddCommand(buttons, Named(new QPushButton(tr("&Add…"), buttons), "DesignerAdd"), QKeySequence(Qt::Key_Insert), add);
    new QShortcut(QKeySequence(QStringLiteral("Ctrl+N")), m_tree, add, Qt::WidgetShortcut);
    AddCommand(buttons, Named(new QPushButton(tr("&Remove"), buttons), "DesignerRemove"), QKeySequence::Delete,
        [this] { Act([](const MenuDesign& model, const EntryRef& ref) { return model.Remove(ref); }); });
    AddCommand(buttons, Named(new QPushButton(tr("D&uplicate"), buttons), "DesignerDuplicate"),
        QKeySequence(QStringLiteral("Ctrl+D")),
        [this] { Act([](const MenuDesign& model, const EntryRef& ref) { return model.Duplicate(ref); }); });
    for (const int by : { -1, 1 }) {
        AddCommand(buttons,
            Named(new QPushButton(by < 0 ? tr("U&p") : tr("Do&wn"), buttons), by < 0 ? "DesignerUp" : "DesignerDown"),
            QKeySequence(by < 0 ? QStringLiteral("Ctrl+Up") : QStringLiteral("Ctrl+Down")), [this, by] {
                const std::optional<EntryRef> ref = Selected();
                if (ref)
                    Act([by](const MenuDesign& model, const EntryRef& at) { return model.Move(at, by); },
                        EntryRef { ref->menu, ref->entry + by });
            });
    }
    AddCommand(buttons, Named(new QPushButton(tr("De&fault"), buttons), "DesignerDefault"), {},
        [this] { Act([](const MenuDesign& model, const EntryRef& ref) { return model.MakeDefault(ref); }); });
    AddCommand(buttons, Named(new QPushButton(tr("&Hide"), buttons), "DesignerHide"), {}, [this] {
        Act([](const MenuDesign& model, const EntryRef& ref) {
            return model.SetHidden(ref, ref.menu != MenuConfig::HiddenMenu);
        });
    });
    AddCommand(buttons, Named(new QPushButton(tr("Di&sable"), buttons), "DesignerDisable"), {}, [this] {
        Act([](const MenuDesign& model, const EntryRef& ref) {
            const MenuEntry* entry = model.EntryAt(ref);
            return model.SetDisabled(ref, entry && entry->action != MenuAction::Disabled);
        });
    });
    new QShortcut(
        QKeySequence(Qt::Key_F2), m_tree, this,
        [this] {
            if (const std::optional<EntryRef> ref = Selected())
                EditName(*ref);
        },
        Qt::WidgetShortcut);
    return buttons;
}

QWidget* DesignerDock::CreateProperties()
{
    auto* form = new QWidget(this);
    auto* layout = new QFormLayout(form);
    const auto field = [&](const char* name, const QString& title, Property property) {
        auto* edit = Named(new QLineEdit(form), name);
        layout->addRow(title, edit);
        connect(edit, &QLineEdit::editingFinished, this, [this, edit, property] {
            if (!m_filling && edit->isModified())
                SetProperty(property, edit->text().toLatin1());
        });
        return edit;
    };
    m_label = field("DesignerLabel", tr("LA&BEL"), Property::Label);
    m_menuLabel = field("DesignerMenuLabel", tr("&MENU LABEL (^ hotkey)"), Property::MenuLabel);
    m_hotkeyNote = Named(new QLabel(form), "DesignerHotkeyNote");
    layout->addRow(QString(), m_hotkeyNote);
    m_kernel = field("DesignerKernel", tr("&KERNEL"), Property::Kernel);
    m_append = field("DesignerAppend", tr("APPE&ND"), Property::Append);
    m_initrd = field("DesignerInitrd", tr("&INITRD"), Property::Initrd);
    m_help = Named(new QPlainTextEdit(form), "DesignerHelp");
    m_help->setTabChangesFocus(true);
    m_help->setMaximumHeight(m_help->fontMetrics().lineSpacing() * 5);
    layout->addRow(tr("&TEXT HELP"), m_help);
    auto* setHelp = Named(new QPushButton(tr("Set &Help Text"), form), "DesignerSetHelp");
    connect(setHelp, &QPushButton::clicked, this,
        [this] { SetProperty(Property::HelpText, m_help->toPlainText().toLatin1()); });
    layout->addRow(QString(), setHelp);
    m_password = field("DesignerPassword", tr("MENU PASS&WD"), Property::Password);
    auto* setPassword = Named(new QPushButton(tr("Set &Password…"), form), "DesignerSetPassword");
    connect(setPassword, &QPushButton::clicked, this, [this] {
        const auto& source = m_designer.PasswordSource();
        if (!source) {
            SetProperty(Property::Password, m_password->text().toLatin1());
            return;
        }
        if (const std::optional<QByteArray> value = source())
            SetProperty(Property::Password, *value);
    });
    layout->addRow(QString(), setPassword);
    return form;
}

void DesignerDock::Show(const MenuDesign* model)
{
    m_model = model;
    Fill();
    m_look->Show(model, Selected() ? Selected()->menu : MenuConfig::RootMenu);
    ShowBackground();
}

QTreeWidgetItem* DesignerDock::AddMenu(QTreeWidgetItem* item, int menu, int depth)
{
    const Menu& shown = m_model->Menus().At(menu);
    const std::vector<int> repeated = RepeatedHotkeys(shown);
    for (int index = 0; index < static_cast<int>(shown.entries.size()); ++index) {
        const MenuEntry& entry = shown.entries[static_cast<std::size_t>(index)];
        const bool twice = std::find(repeated.begin(), repeated.end(), index) != repeated.end();
        const QString name = entry.action == MenuAction::Disabled && entry.displayName.trimmed().isEmpty()
            ? tr("── separator ──")
            : Text(entry.displayName);
        auto* child = new QTreeWidgetItem(item, { name, Text(entry.label), Marks(entry, twice) });
        child->setData(0, MenuRole, menu);
        child->setData(0, EntryRole, index);
        if (entry.action == MenuAction::Submenu && entry.submenu > 0 && depth < 64
            && m_model->Menus().At(entry.submenu).parent == menu)
            AddMenu(child, entry.submenu, depth + 1)->setExpanded(true);
    }
    return item;
}

void DesignerDock::Fill()
{
    const std::optional<EntryRef> chosen = Selected();
    m_filling = true;
    m_tree->clear();
    if (m_model && m_model->HasMenu()) {
        for (const int menu : { MenuConfig::RootMenu, MenuConfig::HiddenMenu }) {
            const Menu& shown = m_model->Menus().At(menu);
            if (menu == MenuConfig::HiddenMenu && shown.entries.empty())
                continue;
            auto* root = new QTreeWidgetItem(m_tree,
                { menu == MenuConfig::RootMenu ? tr("Top menu: %1").arg(Text(shown.title)) : tr("Hidden entries") });
            root->setData(0, MenuRole, menu);
            root->setData(0, EntryRole, -1);
            AddMenu(root, menu, 0)->setExpanded(true);
        }
    } else {
        new QTreeWidgetItem(
            m_tree, { m_model ? tr("The configuration runs no menu module.") : tr("No configuration is open.") });
    }
    if (QTreeWidgetItem* item = chosen ? ItemOf(*chosen) : nullptr)
        m_tree->setCurrentItem(item);
    m_filling = false;
    ShowEntry();
}

QTreeWidgetItem* DesignerDock::ItemOf(const EntryRef& ref) const
{
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it) {
        if ((*it)->data(0, EntryRole).isValid() && RefOf(*it) == ref)
            return *it;
    }
    return nullptr;
}

std::optional<EntryRef> DesignerDock::Selected() const
{
    const QTreeWidgetItem* item = m_tree->currentItem();
    if (!item || !item->data(0, EntryRole).isValid())
        return std::nullopt;
    return RefOf(item);
}

void DesignerDock::Select(const EntryRef& ref)
{
    if (QTreeWidgetItem* item = ItemOf(ref)) {
        m_filling = true; // a choice from outside is not sent back
        m_tree->setCurrentItem(item);
        m_filling = false;
        ShowEntry();
    }
}

void DesignerDock::ShowEntry()
{
    const std::optional<EntryRef> ref = Selected();
    const MenuEntry* entry = m_model && ref ? m_model->EntryAt(*ref) : nullptr;
    const bool wasFilling = std::exchange(m_filling, true);
    const auto show = [](QLineEdit* edit, const QByteArray& text) {
        edit->setText(QString::fromLatin1(text));
        edit->setModified(false);
    };
    const auto written = [&](Property property) { return entry ? m_model->Written(*ref, property) : QByteArray(); };
    show(m_label, written(Property::Label));
    show(m_menuLabel, written(Property::MenuLabel));
    show(m_kernel, written(Property::Kernel));
    show(m_append, written(Property::Append));
    show(m_initrd, written(Property::Initrd));
    show(m_password, written(Property::Password));
    m_help->setPlainText(QString::fromLatin1(written(Property::HelpText)));
    const Menu* menu = m_model && ref && m_model->HasMenu() ? &m_model->Menus().At(ref->menu) : nullptr;
    const std::vector<int> repeated = menu ? RepeatedHotkeys(*menu) : std::vector<int> {};
    const bool twice = ref && std::find(repeated.begin(), repeated.end(), ref->entry) != repeated.end();
    m_hotkeyNote->setText(
        twice ? tr("⚠ An earlier entry of this menu has this hotkey: this one gets none.") : QString());
    m_filling = wasFilling;
    if (ref && m_model && m_model->HasMenu())
        m_look->Show(m_model, ref->entry < 0 ? ref->menu : ref->menu);
}

void DesignerDock::Act(
    const std::function<Change(const MenuDesign&, const EntryRef&)>& act, std::optional<EntryRef> then)
{
    const std::optional<EntryRef> ref = Selected();
    if (!ref || ref->entry < 0) {
        Say(tr("Choose an entry first."));
        return;
    }
    const EntryRef at = *ref;
    if (m_designer.Perform([&](const MenuDesign& model) { return act(model, at); }) && then)
        Select(*then);
}

void DesignerDock::SetProperty(Property property, const QByteArray& value)
{
    Act([property, value](const MenuDesign& model, const EntryRef& ref) { return model.Set(ref, property, value); });
}

void DesignerDock::AddFromTemplate(Template kind)
{
    const std::optional<EntryRef> ref = Selected();
    const EntryRef after = ref ? *ref : EntryRef { MenuConfig::RootMenu, -1 };
    if (m_designer.Perform([&](const MenuDesign& model) { return model.Add(after, kind); }))
        Select({ after.menu,
            after.entry < 0 ? static_cast<int>(m_model->Menus().At(after.menu).entries.size()) - 1 : after.entry + 1 });
}

void DesignerDock::EditName(const EntryRef& ref)
{
    if (ref.entry < 0) {
        m_pages->setCurrentWidget(m_look);
        m_look->EditTitle(ref.menu);
        return;
    }
    Select(ref);
    m_pages->setCurrentIndex(0);
    m_menuLabel->setFocus(Qt::ShortcutFocusReason);
    m_menuLabel->selectAll();
}

void DesignerDock::Say(const QString& message) { m_message->setText(message); }
