// The console as the standard streams' device, and its keyboard: typed
// characters, scroll keys, and reading keys and lines.
#include "Console.h"

#include "ConsoleWindow.h"
#include "TextStream.h"
#include "common/Exceptions.h"
#include "format/DisplayCodes.h"

#include <QtCore/qnamespace.h>

#include <cstring>

namespace {

using DisplayCode::BS;
using DisplayCode::CR;
using DisplayCode::LF;
constexpr char CtrlC = 0x03;
constexpr char CtrlZ = 0x1A;

struct ScrollKey {
    int key;
    bool ctrl;
    ScrollAxis axis;
    ScrollAction action;
};

// Searched in this order; on the horizontal axis "up" is toward column 0.
constexpr ScrollKey ScrollKeys[] = {
    { Qt::Key_Left, false, ScrollAxis::Horizontal, ScrollAction::LineUp },
    { Qt::Key_Right, false, ScrollAxis::Horizontal, ScrollAction::LineDown },
    { Qt::Key_Left, true, ScrollAxis::Horizontal, ScrollAction::PageUp },
    { Qt::Key_Right, true, ScrollAxis::Horizontal, ScrollAction::PageDown },
    { Qt::Key_Home, false, ScrollAxis::Horizontal, ScrollAction::Top },
    { Qt::Key_End, false, ScrollAxis::Horizontal, ScrollAction::Bottom },
    { Qt::Key_Up, false, ScrollAxis::Vertical, ScrollAction::LineUp },
    { Qt::Key_Down, false, ScrollAxis::Vertical, ScrollAction::LineDown },
    { Qt::Key_PageUp, false, ScrollAxis::Vertical, ScrollAction::PageUp },
    { Qt::Key_PageDown, false, ScrollAxis::Vertical, ScrollAction::PageDown },
    { Qt::Key_Home, true, ScrollAxis::Vertical, ScrollAction::Top },
    { Qt::Key_End, true, ScrollAxis::Vertical, ScrollAction::Bottom },
};

}

void TConsole::SetOptions(TConsoleOptions value)
{
    if ((value & coStdInput) && !(m_options & coStdInput)) {
        if (StandardInput().mode != TextStream::Mode::Closed)
            throw Exception("TConsole.SetOptions: Standard Input is already open");
        AssignTextDevice(StandardInput());
        StandardInput().OpenForReading();
        m_options |= coStdInput;
    } else if ((m_options & coStdInput) && !(value & coStdInput)) {
        StandardInput().Close();
    }
    if ((value & coStdOutput) && !(m_options & coStdOutput)) {
        if (StandardOutput().mode != TextStream::Mode::Closed)
            throw Exception("TConsole.SetOptions: Standard Output is already open");
        AssignTextDevice(StandardOutput());
        StandardOutput().OpenForWriting();
    } else if ((m_options & coStdOutput) && !(value & coStdOutput)) {
        StandardOutput().Close();
    }
    m_options = value;
}

void TConsole::AssignTextDevice(TextStream& stream)
{
    stream.handle = -1;
    stream.mode = TextStream::Mode::Closed;
    stream.open = &TConsole::DeviceOpen;
    stream.deviceData = this;
    stream.name.clear();
}

void TConsole::DeviceOpen(TextStream& stream)
{
    if (stream.mode == TextStream::Mode::Input) {
        stream.transfer = &TConsole::DeviceInput;
        stream.flush = nullptr;
    } else {
        stream.mode = TextStream::Mode::Output;
        stream.transfer = &TConsole::DeviceOutput;
        stream.flush = &TConsole::DeviceOutput;
    }
    stream.close = [](TextStream&) {};
}

void TConsole::DeviceOutput(TextStream& stream)
{
    const int count = stream.BufferedCount();
    if (count <= 0)
        return;
    // Emptied first, so a device error leaves no stale characters behind.
    stream.EmptyOutput();
    static_cast<TConsole*>(stream.deviceData)->Write(stream.Buffer(), static_cast<std::uint32_t>(count));
}

void TConsole::DeviceInput(TextStream& stream)
{
    auto* console = static_cast<TConsole*>(stream.deviceData);
    stream.SetInput(console->ReadLine(stream.Buffer(), TextStream::BufferSize));
}

void TConsole::CharacterTyped(char ch)
{
    if (ch == 0)
        return;
    if ((m_options & coCheckBreak) && ch == CtrlC)
        CtrlBreak();
    if (m_keyCount < KeyBufferSize)
        m_keyBuffer[m_keyCount++] = ch;
}

void TConsole::KeyDown(int key, bool ctrlOnly)
{
    if (key == 0)
        return;
    if ((m_options & coCheckBreak) && key == Qt::Key_Cancel)
        CtrlBreak();
    for (const ScrollKey& entry : ScrollKeys) {
        if (entry.key == key && entry.ctrl == ctrlOnly) {
            DoScroll(entry.axis, entry.action, 0);
            return;
        }
    }
}

bool TConsole::KeyPressed()
{
    if (m_keyCount > 0)
        return true;
    if (m_window)
        m_window->ProcessPendingEvents();
    return m_keyCount > 0;
}

char TConsole::ReadKey()
{
    ScrollToCursor();
    if (!KeyPressed()) {
        if (!m_window)
            throw EInvalidOperation("ReadKey needs a console window");
        m_window->TakeFocus();
        if (m_reading)
            throw EInvalidOperation("Read already active");
        m_reading = true;
        struct EndOfRead {
            TConsole& console;
            ~EndOfRead()
            {
                if (console.m_focused && !(console.m_options & coFulltimeCursor))
                    console.HideCursor();
                console.m_reading = false;
            }
        } endOfRead { *this };
        if (m_focused)
            ShowCursor();
        if (!m_window->RunEventsUntil([this] { return m_keyCount > 0; }))
            throw Exception("WM_Quit received during ReadKey");
    }
    const char ch = m_keyBuffer[0];
    std::memmove(m_keyBuffer, m_keyBuffer + 1, --m_keyCount);
    return ch;
}

int TConsole::ReadLine(char* buffer, int size)
{
    int length = 0;
    char ch;
    do {
        ch = ReadKey();
        if (ch == BS) {
            if (length > 0) {
                --length;
                WriteChar(BS);
            }
        } else if (static_cast<unsigned char>(ch) >= 0x20 && length < size - 2) {
            buffer[length++] = ch;
            WriteChar(ch);
        }
    } while (ch != 0 && ch != CR && !((m_options & coCheckEOF) && ch == CtrlZ));
    buffer[length++] = ch;
    if (ch == CR) {
        buffer[length++] = LF;
        WriteDefault("\r\n", 2);
    }
    ScrollToCursor();
    if (m_focused && (m_options & coFulltimeCursor))
        ShowCursor();
    return length;
}
