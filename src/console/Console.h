#pragma once

#include "ConsoleTypes.h"
#include "Font.h"
#include "TextMetrics.h"

#include <QByteArray>

#include <string_view>

class ConsoleCanvas;
class ConsoleWindow;
class TextStream;

// A text-mode screen: a circular grid of Cols × Rows character cells, a write
// cursor, and a write path that interprets CR, LF, BS and BEL, wraps as soon
// as the last column is written and scrolls by rotating the grid. The view
// part keeps a scrollable window (Origin) over the grid and defers repainting
// and scrolling under coLazyWrite. Pixels go through a ConsoleWindow; without
// one the console still keeps its grid and view state.
class TConsole {
public:
    explicit TConsole(const FontMeasurer& measurer);
    virtual ~TConsole();
    TConsole(const TConsole&) = delete;
    TConsole& operator=(const TConsole&) = delete;

    // Published properties.
    TColor Color() const { return m_color; }
    void SetColor(TColor colour);
    TFixedFont& Font() { return m_font; }
    const TFixedFont& Font() const { return m_font; }
    void SetFont(const TFixedFont& font) { m_font.CopyFrom(font); }
    TConsoleOptions Options() const { return m_options; }
    void SetOptions(TConsoleOptions value);
    int Cols() const { return m_cols; }
    void SetCols(int cols);
    int Rows() const { return m_rows; }
    void SetRows(int rows);
    TConsoleLineBreak LineBreak() const { return m_lineBreak; }
    void SetLineBreak(TConsoleLineBreak lineBreak) { m_lineBreak = lineBreak; }
    const TProcessControlCodes& ProcessControlCodes() const { return m_processControlCodes; }
    void SetProcessControlCodes(TProcessControlCodes hook) { m_processControlCodes = std::move(hook); }

    // The write path.
    void Write(const char* chars, std::uint32_t count);
    void WriteDefault(const char* chars, std::uint32_t count);
    void WriteChar(char ch) { Write(&ch, 1); }
    void WriteString(std::string_view text) { Write(text.data(), static_cast<std::uint32_t>(text.size())); }
    // Every byte as the glyph of its cell, control bytes too, wrapping and
    // scrolling as the write path does.
    void WriteGlyphs(std::string_view glyphs);
    // Blanks the grid and measures the font anew.
    void Clear();
    void BlankGrid();
    // Blanks the cursor's row from the cursor to its end in the font's
    // colours; the cursor stays.
    void EraseToLineEnd();

    // Grid state.
    int CellAt(int column, int row) const; // storage index of a screen cell
    char CharAt(int column, int row) const { return m_grid[CellAt(column, row)]; }
    QByteArray ScreenRow(int row) const;
    CellPair Cursor() const { return m_cursor; }
    // Rows that have left the screen since the console was made: scrolled
    // off the top, or blanked (a blank counts every row).
    long long RowsGone() const { return m_rowsGone; }
    // Moves the write cursor to a cell, kept inside the grid.
    void SetCursor(CellPair cell);
    int TopRow() const { return m_topRow; }

    // View state.
    CellPair Origin() const { return m_origin; }
    CellPair Range() const { return m_range; }
    CellPair ClientCells() const { return m_clientCells; }
    CellPair CellSize() const { return m_cellSize; }
    int CellAscent() const { return m_cellAscent; }
    int Overhang() const { return m_overhang; }
    bool Focused() const { return m_focused; }
    bool Reading() const { return m_reading; }

    void RemeasureFont();
    void RecalcSizes();
    void UpdateScrollBars();
    void ScrollTo(int column, int row);
    void RequestScroll(int columns, int rows);
    void KeepCursorVisible();
    void ScrollToCursor();
    void InvalidateCells(int from, int to);
    void DoScroll(ScrollAxis axis, ScrollAction action, int thumb);
    virtual void ShowCursor();
    void HideCursor();
    virtual void PaintGrid(ConsoleCanvas& canvas);

    // Keyboard and standard input.
    bool KeyPressed();
    char ReadKey();
    int ReadLine(char* buffer, int size);
    int KeyCount() const { return m_keyCount; }
    static constexpr int KeyBufferSize = 64;

    // Events of the window, passed on by it.
    void AttachWindow(ConsoleWindow* window);
    void WindowCreated();
    void WindowResized();
    void FocusGained();
    void FocusLost();
    void CharacterTyped(char ch);
    // key is a Qt::Key value; ctrlOnly is set when Ctrl is the only modifier.
    void KeyDown(int key, bool ctrlOnly);
    void MessageArrived(ConsoleMessage message, int first, int second);

    // Called for a typed Ctrl+C or Ctrl+Break under coCheckBreak.
    virtual void CtrlBreak() { }

protected:
    virtual void SetMetrics(const TextMetrics& metrics);
    virtual void PutChars(int column, int row, const char* chars, int count);
    virtual void FillCells(int column, int row, char ch, int count);
    virtual void ResizeBuffer();
    virtual void AssignTextDevice(TextStream& stream);

    // The font's change notification; every change of Font, colours too.
    virtual void FontChanged();
    ConsoleWindow* Window() const { return m_window; }
    const TFixedFont& PrevFont() const { return m_prevFont; }
    void SetCellMetrics(CellPair cellSize, int ascent, int overhang);
    const char* GridData() const { return m_grid.data(); }

private:
    void CarriageReturn(int& left, int& right);
    void StoreRun(const char* chars, std::uint32_t run, int& left, int& right);
    void LineFeed();
    void AfterWrite();
    bool FixedPitchAccepted(const TextMetrics& metrics) const;
    // Whether scrolls and tracking wait for the event loop (coLazyWrite, shown).
    bool Deferring() const;
    static void DeviceOpen(TextStream& stream);
    static void DeviceOutput(TextStream& stream);
    static void DeviceInput(TextStream& stream);

    const FontMeasurer& m_measurer;
    ConsoleWindow* m_window = nullptr;
    bool m_windowCreated = false;

    TConsoleOptions m_options;
    TColor m_color = clWindow;
    TFixedFont m_font;
    TFixedFont m_prevFont;
    bool m_prevFontMeasured = false;
    int m_cols = 80;
    int m_rows = 25;
    TConsoleLineBreak m_lineBreak = TConsoleLineBreak::CRLF;
    TProcessControlCodes m_processControlCodes;

    QByteArray m_grid;
    int m_topRow = 0;
    CellPair m_cursor;
    long long m_rowsGone = 0;

    CellPair m_range;
    CellPair m_origin;
    CellPair m_clientCells;
    CellPair m_cellSize;
    int m_cellAscent = 0;
    int m_overhang = 0;

    bool m_focused = false;
    bool m_reading = false;
    char m_keyBuffer[KeyBufferSize] = {};
    int m_keyCount = 0;
};

constexpr TConsoleOptions DefaultConsoleOptions = coAutoTracking | coCheckBreak | coLazyWrite | coFixedPitchOnly;
