#include "editor/checks/ProblemsPanel.h"

#include <QHeaderView>
#include <QTreeWidget>

ProblemsPanel::ProblemsPanel(QWidget* parent)
    : QDockWidget(tr("Problems"), parent)
    , m_list(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("ProblemsPanel"));
    m_list->setObjectName(QStringLiteral("ProblemList"));
    m_list->setHeaderLabels({ tr("Line:Column"), tr("Severity"), tr("Problem"), tr("Code") });
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(2, QHeaderView::Stretch);
    m_list->setMinimumHeight(120);
    setWidget(m_list);
    connect(m_list, &QTreeWidget::itemActivated, this,
        [this](QTreeWidgetItem* item) { emit ProblemChosen(item->data(0, Qt::UserRole).toLongLong()); });
}

void ProblemsPanel::Show(const std::vector<Problem>& problems)
{
    m_list->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(problems.size()));
    for (const Problem& problem : problems) {
        auto* item = new QTreeWidgetItem({ QStringLiteral("%1:%2").arg(problem.line).arg(problem.column),
            SeverityName(problem.severity), problem.Text(), problem.code });
        item->setData(0, Qt::UserRole, problem.offset);
        items << item;
    }
    m_list->addTopLevelItems(items);
    for (int column = 0; column < m_list->columnCount(); ++column) {
        if (column != 2)
            m_list->resizeColumnToContents(column);
    }
}

QString ProblemCountCaption(int count)
{
    if (count == 0)
        return QDockWidget::tr("No problems");
    return count == 1 ? QDockWidget::tr("1 problem") : QDockWidget::tr("%1 problems").arg(count);
}
