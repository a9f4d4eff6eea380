#include "ConfigurationReference.h"

#include "config/ConfigDirectives.h"
#include "editor/document/EditorHost.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QString ReadBy(unsigned readers)
{
    using namespace ConfigDirectives;
    return readers == Both  ? QObject::tr("loader and menu")
        : readers == Loader ? QObject::tr("loader")
                            : QObject::tr("menu");
}

}

ConfigurationReference::ConfigurationReference(QWidget* parent)
    : QDialog(parent)
    , m_search(new QLineEdit(this))
    , m_table(new QTreeWidget(this))
{
    setWindowTitle(tr("Configuration Reference"));
    setObjectName(QStringLiteral("configurationReference"));
    m_search->setObjectName(QStringLiteral("referenceSearch"));
    m_search->setPlaceholderText(tr("Search directives and descriptions"));
    m_search->setClearButtonEnabled(true);
    m_table->setObjectName(QStringLiteral("referenceTable"));
    m_table->setHeaderLabels({ tr("Directive"), tr("Read by"), tr("What it does") });
    m_table->setRootIsDecorated(false);
    m_table->setAlternatingRowColors(true);
    m_table->setWordWrap(true);
    using namespace ConfigDirectives;
    const auto add = [this](const Description& row) {
        auto* item = new QTreeWidgetItem(
            m_table, { QString::fromLatin1(row.syntax), ReadBy(row.readers), QString::fromLatin1(row.what) });
        item->setToolTip(2, item->text(2));
    };
    for (const Description& row : LoaderDescriptions)
        add(row);
    for (const Description& row : OtherDescriptions)
        add(row);
    for (const Description& row : MenuDescriptions)
        add(row);
    m_table->resizeColumnToContents(0);
    m_table->resizeColumnToContents(1);
    connect(m_search, &QLineEdit::textChanged, this, &ConfigurationReference::Search);
    // The row's whole text, which the table's columns may cut.
    auto* detail = new QLabel(this);
    detail->setObjectName(QStringLiteral("referenceDetail"));
    detail->setWordWrap(true);
    detail->setTextInteractionFlags(Qt::TextSelectableByMouse);
    detail->setMinimumHeight(3 * fontMetrics().lineSpacing());
    connect(m_table, &QTreeWidget::currentItemChanged, detail, [detail](QTreeWidgetItem* item) {
        detail->setText(item
                ? QStringLiteral("<b>%1</b><br>%2").arg(item->text(0).toHtmlEscaped(), item->text(2).toHtmlEscaped())
                : QString());
    });
    auto* search = new QLabel(tr("&Search:"), this);
    search->setBuddy(m_search);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(search);
    layout->addWidget(m_search);
    layout->addWidget(m_table);
    layout->addWidget(detail);
    resize(960, 600);
}

int ConfigurationReference::Search(const QString& search)
{
    const QStringList words = search.split(u' ', Qt::SkipEmptyParts);
    int kept = 0;
    for (int index = 0; index < m_table->topLevelItemCount(); ++index) {
        QTreeWidgetItem* item = m_table->topLevelItem(index);
        const QString text = item->text(0) + u' ' + item->text(2);
        const bool keep = std::all_of(
            words.begin(), words.end(), [&](const QString& word) { return text.contains(word, Qt::CaseInsensitive); });
        item->setHidden(!keep);
        kept += keep;
    }
    return kept;
}

void ConfigurationReference::AddTo(EditorHost& host)
{
    QMainWindow& window = host.Window();
    auto* action = new QAction(QObject::tr("Configuration &Reference"), &window);
    action->setObjectName(QStringLiteral("ConfigurationReference1"));
    // One reference, made on first use, kept open beside the editor.
    QObject::connect(action, &QAction::triggered, &window, [&window] {
        auto* reference = window.findChild<ConfigurationReference*>();
        if (!reference)
            reference = new ConfigurationReference(&window);
        reference->show();
        reference->raise();
        reference->activateWindow();
        reference->m_search->setFocus();
    });
    host.AddAction(EditorHost::Place::Help, action);
}
