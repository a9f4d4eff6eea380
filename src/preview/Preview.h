#pragma once

#include "console/ColorConsole.h"

#include <QWidget>

#include <functional>

class ConsoleWidget;
class QPushButton;

// The preview window: the colour console on which a display file is
// rendered, a Refresh and a Close button. It is not modal, lives for the
// whole run and only hides when closed. It serves the standard output
// stream from its creation to its destruction.
class TPreviewFR : public QWidget {
    Q_OBJECT

public:
    explicit TPreviewFR(QWidget* parent = nullptr);
    ~TPreviewFR() override;

    // Where Refresh takes the text to render from (the editor's document).
    void SetTextSource(std::function<QByteArray()> source) { m_textSource = std::move(source); }
    TColorConsole& Console() { return m_console; }

    ConsoleWidget* Terminal1;
    QPushButton* Button1; // "Refresh"
    QPushButton* Button2; // "Close"

    void FormCreate();
    void Button1Click();
    void Button2Click() { close(); }

signals:
    // Closed by its button or its close box; the main window gives its
    // editor the focus.
    void FormClose();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void LayOut();

    TColorConsole m_console;
    std::function<QByteArray()> m_textSource;
};
