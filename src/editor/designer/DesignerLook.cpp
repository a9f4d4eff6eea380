#include "editor/designer/DesignerLook.h"

#include "common/Limits.h"
#include "common/Named.h"
#include "design/MenuLook.h"
#include "editor/designer/MenuDesigner.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace Design;

namespace {

const std::array<const char*, 8> VgaNames = { "black", "red", "green", "brown", "blue", "magenta", "cyan", "grey" };
// The layout numbers the page offers, in the module's order.
constexpr std::array<MenuParam, 12> Shown = { MenuParam::Width, MenuParam::Margin, MenuParam::Rows,
    MenuParam::TabMsgRow, MenuParam::CmdLineRow, MenuParam::EndRow, MenuParam::PasswordRow, MenuParam::TimeoutRow,
    MenuParam::HelpMsgRow, MenuParam::HelpMsgEndRow, MenuParam::HShift, MenuParam::VShift };

QString ArgbText(Argb argb) { return QStringLiteral("#%1").arg(argb, 8, 16, QLatin1Char('0')); }

}

DesignerLook::DesignerLook(MenuDesigner& designer, QWidget* parent)
    : QWidget(parent)
    , m_designer(designer)
{
    auto* inner = new QWidget;
    auto* layout = new QVBoxLayout(inner);
    auto* form = new QFormLayout;
    m_menus = Named(new QComboBox(inner), "DesignerLookMenu");
    connect(m_menus, &QComboBox::activated, this, [this] { Show(m_model, m_menus->currentData().toInt()); });
    form->addRow(tr("Me&nu"), m_menus);
    m_title = AddText(form, "DesignerTitle", tr("&Title"), { Setting::Kind::Title, 0 });
    layout->addLayout(form);
    layout->addWidget(CreateColours());
    layout->addWidget(CreateLayout());
    layout->addStretch();
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(inner);
    scroll->setWidgetResizable(true);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);
}

QLineEdit* DesignerLook::AddText(QFormLayout* form, const char* name, const QString& title, Setting setting)
{
    auto* edit = Named(new QLineEdit(this), name);
    form->addRow(title, edit);
    connect(edit, &QLineEdit::editingFinished, this, [this, edit, setting] {
        if (!m_filling && edit->isModified())
            Write(setting, edit->text().toLatin1());
    });
    return edit;
}

QWidget* DesignerLook::CreateColours()
{
    auto* group = new QGroupBox(tr("MENU COLOR"), this);
    auto* form = new QFormLayout(group);
    m_element = Named(new QComboBox(group), "DesignerElement");
    for (std::size_t index = 0; index < MenuColourTableSize; ++index)
        m_element->addItem(
            QString::fromLatin1(SettingWords({ Setting::Kind::Colour, static_cast<int>(index) }).mid(11)));
    connect(m_element, &QComboBox::currentIndexChanged, this, &DesignerLook::ShowColour);
    form->addRow(tr("&Element"), m_element);
    m_ansiForeground = Named(new QComboBox(group), "DesignerAnsiForeground");
    m_ansiBackground = Named(new QComboBox(group), "DesignerAnsiBackground");
    for (const char* name : VgaNames) {
        m_ansiForeground->addItem(QString::fromLatin1(name));
        m_ansiBackground->addItem(QString::fromLatin1(name));
    }
    form->addRow(tr("Text &colour"), m_ansiForeground);
    form->addRow(tr("&Ground"), m_ansiBackground);
    auto* flags = new QHBoxLayout;
    m_bright = Named(new QCheckBox(tr("&bright"), group), "DesignerBright");
    m_blink = Named(new QCheckBox(tr("blin&k"), group), "DesignerBlink");
    m_reverse = Named(new QCheckBox(tr("re&verse"), group), "DesignerReverse");
    for (QCheckBox* box : { m_bright, m_blink, m_reverse }) {
        flags->addWidget(box);
        connect(box, &QCheckBox::toggled, this, &DesignerLook::MarkContrast);
    }
    form->addRow(QString(), flags);
    for (QComboBox* box : { m_ansiForeground, m_ansiBackground })
        connect(box, &QComboBox::currentIndexChanged, this, &DesignerLook::MarkContrast);
    m_foreground = Named(new QPushButton(group), "DesignerArgbForeground");
    m_background = Named(new QPushButton(group), "DesignerArgbBackground");
    connect(m_foreground, &QPushButton::clicked, this, [this] { PickArgb(true); });
    connect(m_background, &QPushButton::clicked, this, [this] { PickArgb(false); });
    form->addRow(tr("Graphical te&xt"), m_foreground);
    form->addRow(tr("Graphical gro&und"), m_background);
    m_shadow = Named(new QComboBox(group), "DesignerShadow");
    for (const MenuShadow shadow : { MenuShadow::None, MenuShadow::Std, MenuShadow::All, MenuShadow::Rev })
        m_shadow->addItem(QString::fromLatin1(ShadowWord(shadow)));
    form->addRow(tr("S&hadow"), m_shadow);
    m_contrast = Named(new QLabel(group), "DesignerContrast");
    m_contrast->setWordWrap(true);
    form->addRow(m_contrast);
    auto* set = Named(new QPushButton(tr("&Set Colour"), group), "DesignerSetColour");
    connect(set, &QPushButton::clicked, this, [this] {
        const AnsiParts parts { m_ansiForeground->currentIndex(), m_ansiBackground->currentIndex(),
            m_bright->isChecked(), m_blink->isChecked(), m_reverse->isChecked() };
        Write({ Setting::Kind::Colour, m_element->currentIndex() },
            ColourWords(WriteAnsi(parts), m_argbForeground, m_argbBackground,
                static_cast<MenuShadow>(m_shadow->currentIndex())));
    });
    form->addRow(set);
    return group;
}

QWidget* DesignerLook::CreateLayout()
{
    auto* group = new QGroupBox(tr("Layout and messages"), this);
    auto* form = new QFormLayout(group);
    for (const MenuParam param : Shown) {
        const auto index = static_cast<std::size_t>(param);
        auto* spin = new QSpinBox(group);
        spin->setObjectName(QStringLiteral("DesignerParam_%1").arg(QString::fromLatin1(MenuParamInfos[index].keyword)));
        // The module counts a negative number from the bottom and keeps none past the bound.
        spin->setRange(-Limits::MenuLayout, Limits::MenuLayout);
        form->addRow(QString::fromLatin1(MenuParamInfos[index].keyword).toUpper(), spin);
        connect(spin, &QSpinBox::editingFinished, this, [this, spin, index] {
            if (!m_filling && m_model && spin->value() != m_model->Menus().At(m_menu).params[index])
                Write({ Setting::Kind::Param, static_cast<int>(index) }, QByteArray::number(spin->value()));
        });
        m_params[index] = spin;
    }
    m_tabMsg
        = AddText(form, "DesignerTabMsg", tr("TABMSG"), { Setting::Kind::Message, static_cast<int>(MenuMessage::Tab) });
    m_autoBoot = AddText(
        form, "DesignerAutoBoot", tr("AUTOBOOT"), { Setting::Kind::Message, static_cast<int>(MenuMessage::AutoBoot) });
    m_timeout = Named(new QSpinBox(group), "DesignerTimeout");
    m_timeout->setRange(0, 35'000'000); // tenths of a second, below the module's int of milliseconds
    m_timeout->setSuffix(tr(" tenths of a second"));
    connect(m_timeout, &QSpinBox::editingFinished, this, [this] {
        if (!m_filling && m_model && m_timeout->value() * 100 != m_model->Menus().At(m_menu).timeoutMs)
            Write({ Setting::Kind::Timeout, 0 }, QByteArray::number(m_timeout->value()));
    });
    form->addRow(tr("TIMEOUT"), m_timeout);
    m_resolution = AddText(form, "DesignerResolution", tr("RESOLUTION"), { Setting::Kind::Resolution, 0 });
    m_backgroundName = AddText(form, "DesignerBackground", tr("BACKGROUND"), { Setting::Kind::Background, 0 });
    return group;
}

void DesignerLook::Show(const MenuDesign* model, int menu)
{
    m_model = model;
    const bool has = model && model->HasMenu() && menu >= 0 && menu < static_cast<int>(model->Menus().menus.size());
    setEnabled(has);
    if (!has)
        return;
    m_menu = menu;
    const bool wasFilling = std::exchange(m_filling, true);
    m_menus->clear();
    for (int index = MenuConfig::RootMenu; index < static_cast<int>(model->Menus().menus.size()); ++index) {
        const ::Menu& each = model->Menus().At(index);
        m_menus->addItem(index == MenuConfig::RootMenu ? tr("Top menu") : QString::fromLatin1(each.label), index);
        if (index == menu)
            m_menus->setCurrentIndex(m_menus->count() - 1);
    }
    const ::Menu& shown = model->Menus().At(std::max(menu, static_cast<int>(MenuConfig::RootMenu)));
    const auto text = [](QLineEdit* edit, const QByteArray& bytes) {
        edit->setText(QString::fromLatin1(bytes));
        edit->setModified(false);
    };
    text(m_title, shown.title);
    for (const MenuParam param : Shown)
        m_params[static_cast<std::size_t>(param)]->setValue(shown.Param(param));
    text(m_tabMsg, shown.Message(MenuMessage::Tab));
    text(m_autoBoot, shown.Message(MenuMessage::AutoBoot));
    m_timeout->setValue(shown.timeoutMs / 100);
    text(m_resolution, model->Menus().resolution.value_or(QByteArray()));
    text(m_backgroundName, shown.background);
    m_filling = wasFilling;
    ShowColour();
}

void DesignerLook::ShowColour()
{
    if (!m_model || !m_model->HasMenu())
        return;
    const MenuColour colour
        = m_model->Menus().At(m_menu).colours.At(static_cast<std::size_t>(m_element->currentIndex()));
    const AnsiParts parts = ReadAnsi(colour.ansi);
    const bool wasFilling = std::exchange(m_filling, true);
    m_ansiForeground->setCurrentIndex(parts.foreground);
    m_ansiBackground->setCurrentIndex(parts.background);
    m_bright->setChecked(parts.bright);
    m_blink->setChecked(parts.blink);
    m_reverse->setChecked(parts.reverse);
    m_argbForeground = colour.foreground;
    m_argbBackground = colour.background;
    m_shadow->setCurrentIndex(static_cast<int>(colour.shadow));
    m_filling = wasFilling;
    MarkContrast();
}

// The colour being chosen, marked when its text would not show.
void DesignerLook::MarkContrast()
{
    m_foreground->setText(ArgbText(m_argbForeground));
    m_background->setText(ArgbText(m_argbBackground));
    const AnsiParts parts { m_ansiForeground->currentIndex(), m_ansiBackground->currentIndex(), m_bright->isChecked(),
        m_blink->isChecked(), m_reverse->isChecked() };
    QStringList problems;
    if (HardToSeeOnText(parts))
        problems << tr("on the text screen its text has the colour of its ground");
    if (HardToSeeInGraphics(m_argbForeground, m_argbBackground))
        problems << tr("in the graphical menu its text can hardly be seen");
    m_contrast->setText(
        problems.isEmpty() ? QString() : tr("⚠ This colour cannot be read: %1.").arg(problems.join(tr("; "))));
}

void DesignerLook::PickArgb(bool foreground)
{
    Argb& argb = foreground ? m_argbForeground : m_argbBackground;
    const QColor picked = QColorDialog::getColor(
        QColor::fromRgba(argb), this, tr("Colour"), QColorDialog::ShowAlphaChannel | QColorDialog::DontUseNativeDialog);
    if (picked.isValid())
        argb = picked.rgba();
    MarkContrast();
}

void DesignerLook::Write(const Setting& setting, const QByteArray& value)
{
    if (m_designer.Perform([&](const MenuDesign& model) { return model.SetSetting(m_menu, setting, value); }))
        return;
    Show(m_model, m_menu); // the refused text goes back to what the file says
}

void DesignerLook::EditTitle(int menu)
{
    Show(m_model, menu);
    m_title->setFocus(Qt::ShortcutFocusReason);
    m_title->selectAll();
}
