#pragma once

#include "lint/Linter.h"

#include <QDockWidget>

class QTreeWidget;

// The dock that lists the document's problems: line:column, severity, text
// and code. A double click (or Enter) on a problem goes to it.
class ProblemsPanel : public QDockWidget {
    Q_OBJECT

public:
    explicit ProblemsPanel(QWidget* parent = nullptr);

    void Show(const std::vector<Problem>& problems);
    QTreeWidget* List() const { return m_list; }

signals:
    // The problem's byte offset in the document.
    void ProblemChosen(qsizetype offset);

private:
    QTreeWidget* m_list;
};

// "No problems", "1 problem", "3 problems".
QString ProblemCountCaption(int count);
