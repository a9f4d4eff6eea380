#pragma once

#include "editor/document/EditorHost.h"

#include <QObject>

#include <optional>

class QAction;

// File > Import and Export ANSI Art: art read into a new document as the
// loader's screen, and the shown document's screen written as art.
class AnsiArtCommands : public QObject {
    Q_OBJECT

public:
    explicit AnsiArtCommands(EditorHost& host);

    // The commands after their dialogs. Import opens the art as a new
    // document from the given first row; both say what went wrong or was lost.
    void ImportFrom(const QString& file, std::optional<int> firstRow = {});
    bool ExportTo(const QString& file);

    QAction* ImportAnsi1 = nullptr;
    QAction* ExportAnsi1 = nullptr;

private:
    void ImportClicked();
    void ExportClicked();

    EditorHost& m_host;
};
