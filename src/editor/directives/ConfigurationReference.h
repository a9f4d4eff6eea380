#pragma once

#include <QDialog>

class EditorHost;
class QLineEdit;
class QTreeWidget;

// Help > Configuration Reference: every directive of the loader and the
// menus with its syntax, who reads it and what it does, from the table
// the completion offers; a search field keeps the rows that hold its words.
class ConfigurationReference : public QDialog {
    Q_OBJECT

public:
    explicit ConfigurationReference(QWidget* parent = nullptr);

    // Help > Configuration Reference in the host's Help menu.
    static void AddTo(EditorHost& host);
    // Keeps the rows holding every word of search; the count kept.
    int Search(const QString& search);

private:
    QLineEdit* m_search;
    QTreeWidget* m_table;
};
