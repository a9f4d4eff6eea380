#include "BootRendering.h"

#include "console/ColorConsole.h"
#include "format/DisplayCodes.h"
#include "format/Palette.h"

#include <array>
#include <optional>

namespace {

constexpr int PlainAttribute = 0x07;
constexpr std::string_view ResetSequence = "[0m";
constexpr std::string_view Prompt = "boot: ";

// What bytes 0x5F-0x7E become after 0x0E: line-drawing and other glyphs.
constexpr std::array<std::uint8_t, 32> LineDrawing = {
    0x5F,
    0x04,
    0xB1,
    0x07,
    0x07,
    0x07,
    0x07,
    0xF8,
    0xF1,
    0x07,
    0x07,
    0xD9,
    0xBF,
    0xDA,
    0xC0,
    0xC5,
    0xC4,
    0xC4,
    0xC4,
    0x5F,
    0x5F,
    0xC3,
    0xB4,
    0xC1,
    0xC2,
    0xB3,
    0xF3,
    0xF2,
    0xE3,
    0xD8,
    0x9C,
    0x07,
};

std::optional<int> AnyCaseHexDigit(char byte)
{
    if (byte >= 'A' && byte <= 'F')
        return byte - 'A' + 10;
    return HexDigitValue(byte);
}

// The loader's reading of a display file, byte by byte.
class BootScreen {
public:
    explicit BootScreen(TColorConsole& console)
        : m_console(console)
    {
        SetAttribute(PlainAttribute);
    }

    // False once the file has ended (0x1A or 0xFF).
    bool Take(char byte);
    void DrawPrompt();
    const QByteArray& Serial() const { return m_serial; }

private:
    enum class Colour { None, Background, Foreground };

    void SetAttribute(int attribute);
    void TakeColourDigit(char byte);
    void Text(std::string_view text);
    void LineBreak();
    void Tab();
    void Backspace();
    bool OnScreen() const { return (m_output & 0x01) != 0; }
    bool ToSerial() const { return m_output == 0x14 || m_output == 0x16; }

    TColorConsole& m_console;
    QByteArray m_serial;
    int m_attribute = PlainAttribute;
    int m_output = 0x11; // 0x10-0x17: bit 0 the screen
    bool m_lineDrawing = false;
    bool m_inImageLine = false;
    Colour m_colour = Colour::None;
    int m_background = 0;
};

void BootScreen::SetAttribute(int attribute)
{
    m_attribute = attribute;
    m_console.Font().SetColor(Palette[attribute & 0x0F]);
    m_console.Font().SetBkColor(Palette[attribute >> 4 & 0x0F]);
}

// A non-digit in either place makes the colour 07 and is swallowed.
void BootScreen::TakeColourDigit(char byte)
{
    const std::optional<int> digit = AnyCaseHexDigit(byte);
    if (!digit) {
        SetAttribute(PlainAttribute);
        m_colour = Colour::None;
    } else if (m_colour == Colour::Background) {
        m_background = *digit;
        m_colour = Colour::Foreground;
    } else {
        SetAttribute(BootAttribute(m_background, *digit));
        m_colour = Colour::None;
    }
}

void BootScreen::Text(std::string_view text)
{
    if (ToSerial())
        m_serial.append(text.data(), static_cast<qsizetype>(text.size()));
    if (!OnScreen())
        return;
    std::string shown(text);
    if (m_lineDrawing) {
        for (char& byte : shown) {
            const auto code = static_cast<std::uint8_t>(byte);
            if (code >= 0x5F && code <= 0x7E)
                byte = static_cast<char>(LineDrawing[code - 0x5F]);
        }
    }
    m_console.WriteGlyphs(shown);
}

void BootScreen::LineBreak()
{
    if (ToSerial())
        m_serial += '\n';
    if (OnScreen())
        m_console.WriteString("\r\n");
}

void BootScreen::Tab()
{
    const int column = m_console.Cursor().x;
    Text(std::string(static_cast<size_t>(8 - column % 8), ' '));
}

void BootScreen::Backspace()
{
    if (!OnScreen())
        return;
    const CellPair cursor = m_console.Cursor();
    if (cursor.x > 0)
        m_console.SetCursor({ cursor.x - 1, cursor.y });
}

bool BootScreen::Take(char byte)
{
    if (m_inImageLine) {
        m_inImageLine = byte != DisplayCode::LF;
        return true;
    }
    if (m_colour != Colour::None) {
        TakeColourDigit(byte);
        return true;
    }
    const auto code = static_cast<std::uint8_t>(byte);
    switch (code) {
    case 0x1A:
    case 0xFF: return false;
    case 0x0F: m_colour = Colour::Background; break;
    case 0x0C:
        if (OnScreen())
            m_console.BlankGrid();
        break;
    case 0x18: m_inImageLine = true; break;
    case 0x0E: m_lineDrawing = true; break;
    case 0x0A:
    case 0x0B: LineBreak(); break;
    case 0x09: Tab(); break;
    case 0x08: Backspace(); break;
    case 0x01:
    case 0x02:
    case 0x03:
    case 0x04:
    case 0x05:
    case 0x1B: Text(ResetSequence); break;
    default:
        if (code >= 0x10 && code <= 0x17)
            m_output = code;
        else if (code >= 0x20 && code != 0x7F)
            Text(std::string_view(&byte, 1));
        // CR, NUL and the other control bytes draw nothing
    }
    return true;
}

void BootScreen::DrawPrompt()
{
    m_output = 0x11;
    SetAttribute(PlainAttribute);
    Text(Prompt);
}

}

QByteArray RenderBootScreen(TColorConsole& console, QByteArrayView file, const BootOptions& options)
{
    BootScreen screen(console);
    console.BlankGrid();
    for (char byte : file) {
        if (!screen.Take(byte))
            break;
    }
    if (options.prompt)
        screen.DrawPrompt();
    return screen.Serial();
}
