#include "BootRendering.h"

#include "BootGraphics.h"
#include "common/Limits.h"

#include "console/ColorConsole.h"
#include "console/ScreenMap.h"
#include "format/ByteReader.h"
#include "format/DisplayCodes.h"
#include "format/Palette.h"

#include <array>

namespace {

constexpr int PlainAttribute = 0x07;
constexpr std::string_view ResetSequence = "[0m";
using TextScreen::Prompt;

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

// The loader's reading of a display file, byte by byte.
class BootScreen {
public:
    explicit BootScreen(TColorConsole& console, bool core = false, BootGraphics* graphics = nullptr)
        : m_console(console)
        , m_core(core)
        , m_graphics(core ? graphics : nullptr)
    {
        SetAttribute(PlainAttribute);
    }

    // False once the file has ended (0x1A or 0xFF).
    bool Take(char byte);
    void DrawPrompt();
    const QByteArray& Serial() const { return m_serial; }
    // Whether the last byte taken put a glyph on the screen.
    bool Drew() const { return m_drew; }

private:
    void SetAttribute(int attribute);
    void TakeCode(std::uint8_t code);
    void Text(std::string_view text);
    void LineBreak();
    void Tab();
    void Backspace();
    // The core's DisplayMask: bit 0 shows in text mode, bit 1 in graphics;
    // both until a file selects (the reader's 0x11 stands for that in text).
    bool OnScreen() const
    {
        return Graphics() ? !m_selected || (m_reader.State().output & 0x02) != 0 : m_reader.State().OnScreen();
    }
    GraphicsScreen* Graphics() const { return m_graphics && m_graphics->screen ? &*m_graphics->screen : nullptr; }
    int Attribute() const { return BootAttribute(m_reader.State().background, m_reader.State().foreground); }
    void ImageLine(char byte);
    void GraphicsText(std::string_view text, int attribute);
    void GraphicsLineBreak();
    bool ToSerial() const { return m_reader.State().output == 0x14 || m_reader.State().output == 0x16; }

    bool CoreGlyph(char byte);

    TColorConsole& m_console;
    bool m_core;
    BootGraphics* m_graphics;
    QByteArray m_imageName;
    bool m_selected = false; // a 0x10-0x17 has chosen the outputs
    ByteReader m_reader { ScreenRules::Boot };
    QByteArray m_serial;
    bool m_drew = false;
};

void BootScreen::SetAttribute(int attribute)
{
    m_console.Font().SetColor(Palette[attribute & 0x0F]);
    m_console.Font().SetBkColor(Palette[attribute >> 4 & 0x0F]);
}

void BootScreen::Text(std::string_view text)
{
    if (ToSerial())
        m_serial.append(text.data(), static_cast<qsizetype>(text.size()));
    if (!OnScreen())
        return;
    m_drew = true;
    if (Graphics())
        return GraphicsText(text, Attribute());
    std::string shown(text);
    if (m_reader.State().lineDrawing) {
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
    if (!OnScreen())
        return;
    if (Graphics())
        return GraphicsLineBreak();
    // The core scrolls with ScrollAttribute, 07, whatever colour is in force.
    const bool scrolls = m_core && m_console.Cursor().y >= m_console.Rows() - 1;
    if (scrolls)
        SetAttribute(PlainAttribute);
    m_console.WriteString("\r\n");
    if (scrolls)
        SetAttribute(BootAttribute(m_reader.State().background, m_reader.State().foreground));
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

// The assembly core's msg_putchar: a byte outside a colour command or an
// image line that is none of its few codes is drawn as its glyph.
bool BootScreen::CoreGlyph(char byte)
{
    const auto code = static_cast<std::uint8_t>(byte);
    const ReaderState& state = m_reader.State();
    const bool codeOfTheCore = code == 0x07 || code == 0x0A || code == 0x0C || code == 0x0D || code == 0x0F
        || (code >= 0x10 && code <= 0x1A);
    if (codeOfTheCore || state.colour != ReaderState::Colour::None || state.imageLine || state.ended)
        return false;
    Text(std::string_view(&byte, 1));
    return true;
}

bool BootScreen::Take(char byte)
{
    m_drew = false;
    if (m_core && CoreGlyph(byte))
        return true;
    switch (m_reader.Read(byte)) {
    case ByteRole::AfterEnd: return false;
    case ByteRole::BackgroundDigit:
    case ByteRole::ForegroundDigit:
        SetAttribute(BootAttribute(m_reader.State().background, m_reader.State().foreground));
        break;
    case ByteRole::Text: Text(std::string_view(&byte, 1)); break;
    case ByteRole::LineBreak:
        if (byte != DisplayCode::CR)
            LineBreak();
        break;
    case ByteRole::Code:
        m_selected = m_selected || (byte >= 0x10 && byte <= 0x17);
        TakeCode(static_cast<std::uint8_t>(byte));
        break;
    case ByteRole::ImageLine: ImageLine(byte); break;
    default: break; // colour leads and image lines draw nothing
    }
    return true;
}

// Line drawing and the output selection are the reader's; CR, NUL and the
// other control bytes draw nothing.
void BootScreen::TakeCode(std::uint8_t code)
{
    switch (code) {
    case 0x0C:
        if (!OnScreen())
            break;
        if (GraphicsScreen* graphics = Graphics()) {
            BiosGraphics::Clear(*graphics, Attribute());
            graphics->column = graphics->row = 0;
        } else {
            m_console.BlankGrid();
        }
        break;
    case DisplayCode::GraphicsOff: // back to text mode, which the mode set clears
        if (Graphics()) {
            m_graphics->screen.reset();
            m_console.BlankGrid();
        }
        break;
    case 0x09: Tab(); break;
    case 0x08: Backspace(); break;
    default:
        if (IsResetSequenceCode(code))
            Text(ResetSequence);
    }
}

void BootScreen::DrawPrompt()
{
    // The prompt goes to the screen, still in line-drawing mode after 0x0E.
    m_reader = ByteReader(ScreenRules::Boot, { .lineDrawing = m_reader.State().lineDrawing });
    SetAttribute(PlainAttribute);
    if (GraphicsScreen* graphics = Graphics()) {
        // The core draws its cursor itself in graphics mode (vgashowcursor).
        GraphicsText(Prompt, PlainAttribute);
        BiosGraphics::WriteGlyph(*graphics, m_graphics->font, '_', PlainAttribute);
        return;
    }
    Text(Prompt);
}

// 0x18 NAME LF in the core (msg_filename, msg_viewimage): spaces and
// control bytes left out of the name; a file that opens is shown, in a
// mode set afresh.
void BootScreen::ImageLine(char byte)
{
    const auto code = static_cast<std::uint8_t>(byte);
    if (byte == DisplayCode::ImageReference) {
        m_imageName.clear();
    } else if (code > ' ') {
        if (m_imageName.size() < Limits::ImageNameBytes)
            m_imageName += byte;
    } else if (byte == '\n' && m_graphics && m_graphics->open) {
        if (const std::optional<QByteArray> image = m_graphics->open(m_imageName)) {
            m_graphics->screen.emplace();
            BiosGraphics::ShowImage(
                *m_graphics->screen, m_graphics->decode ? m_graphics->decode(*image) : std::nullopt);
        }
    }
}

// msg_normal through int 10h AH=09h, the cursor moved on, wrapping past
// the last column.
void BootScreen::GraphicsText(std::string_view text, int attribute)
{
    BiosGraphics::Teletype(*Graphics(), m_graphics->font, text, attribute);
}

// msg_line_wrap: a scroll fills with ScrollAttribute, 00 in graphics mode.
void BootScreen::GraphicsLineBreak() { BiosGraphics::LineBreak(*Graphics()); }

}

unsigned char LineDrawingGlyph(unsigned char byte)
{
    return byte >= 0x5F && byte <= 0x7E ? LineDrawing[byte - 0x5F] : byte;
}

QByteArray RenderBootScreen(TColorConsole& console, QByteArrayView file, const BootOptions& options, ScreenMap* map)
{
    BootScreen screen(console, options.core, options.graphics);
    console.BlankGrid();
    if (map)
        map->Start(console, file.size());
    for (qsizetype offset = 0; offset < file.size(); ++offset) {
        if (map)
            map->Place(offset);
        if (!screen.Take(file[offset]))
            break;
        // A clear stands where it leaves the cursor, on the new screen.
        if (map && file[offset] == DisplayCode::ClearScreen)
            map->Place(offset);
        if (map && screen.Drew())
            map->MarkDrawn(offset);
    }
    if (map)
        map->Finish();
    if (options.prompt)
        screen.DrawPrompt();
    return screen.Serial();
}

QByteArray DrawBootFile(TColorConsole& console, QByteArrayView file, bool core, BootGraphics* graphics)
{
    BootScreen screen(console, core, graphics);
    for (char byte : file) {
        if (!screen.Take(byte))
            break;
    }
    return screen.Serial();
}

namespace {

void SetPlainAttribute(TColorConsole& console)
{
    console.Font().SetColor(Palette[PlainAttribute & 0x0F]);
    console.Font().SetBkColor(Palette[PlainAttribute >> 4]);
}

}

void DrawLoaderText(TColorConsole& console, std::string_view text)
{
    SetPlainAttribute(console);
    while (!text.empty()) {
        const std::size_t control = text.find_first_of("\r\n");
        console.WriteGlyphs(text.substr(0, control));
        if (control == std::string_view::npos)
            break;
        if (text[control] == '\n')
            console.WriteString("\r\n");
        else
            console.SetCursor({ 0, console.Cursor().y });
        text.remove_prefix(control + 1);
    }
}

void DrawTeletypeText(TColorConsole& console, std::string_view text)
{
    while (!text.empty()) {
        const std::size_t backspace = text.find('\b');
        DrawLoaderText(console, text.substr(0, backspace));
        if (backspace == std::string_view::npos)
            break;
        console.SetCursor({ std::max(console.Cursor().x - 1, 0), console.Cursor().y });
        text.remove_prefix(backspace + 1);
    }
}

void ClearLoaderScreen(TColorConsole& console)
{
    SetPlainAttribute(console);
    console.BlankGrid();
}

void EraseLoaderLine(TColorConsole& console)
{
    SetPlainAttribute(console);
    console.EraseToLineEnd();
}
