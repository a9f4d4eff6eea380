#pragma once

#include "PreviewForm.h"
#include "console/ColorConsole.h"
#include "console/ScreenMap.h"
#include "console/qt/QtFonts.h"
#include "format/ByteReader.h"

#include <QTimer>
#include <QWidget>

#include <functional>

// The preview window: the colour console on which a display file is
// rendered, a Refresh and a Close button. It renders by the preview's own
// rules or, chosen beside Refresh, as the boot loader does (with its prompt,
// blinking and serial text); the choices are remembered. It is not modal,
// lives for the whole run and only hides when closed. It serves the standard
// output stream from its creation to its destruction.
class TPreviewFR : public QWidget {
    Q_OBJECT

public:
    explicit TPreviewFR(QWidget* parent = nullptr);
    ~TPreviewFR() override;

    // Where Refresh takes the text to render from (the editor's document).
    void SetTextSource(std::function<QByteArray()> source) { m_textSource = std::move(source); }
    // Shows the window in front, in the PC screen's font, and refreshes it.
    void ShowAndRefresh();
    // Renders again, as Refresh does, without bringing the window forward.
    void Refresh();
    const TColorConsole& Console() const { return m_console; }

    // The rules of the current mode, and whether backgrounds 8-f show bright.
    ScreenRules Rules() const { return BootMode() ? ScreenRules::Boot : ScreenRules::Preview; }
    bool BrightBackgrounds() const;
    // Outlines the cell where the byte at offset of the last rendered text
    // is drawn (the editor's caret), or nothing.
    void MarkOffset(std::optional<qsizetype> offset);

signals:
    // Closed by its button or its close box; the main window gives its
    // editor the focus.
    void FormClose();
    // A rendering has been drawn.
    void Rendered();
    // The user clicked the cell that the byte at offset drew.
    void OffsetClicked(qsizetype offset);
    // The mode or its colours changed.
    void RulesChanged();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void Button1Click();
    void OptionsChanged();
    bool BootMode() const;
    void ShowBlinkPhase();
    void ToggleBlink();
    void CellClicked(CellPair cell);

    QtFontMeasurer m_measurer;
    TColorConsole m_console;
    PreviewForm m_form;
    std::function<QByteArray()> m_textSource;
    QTimer m_blinkTimer;
    bool m_blinkShown = true;
    ScreenMap m_map;
    std::optional<qsizetype> m_marked;
};
