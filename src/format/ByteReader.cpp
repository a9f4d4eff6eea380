#include "ByteReader.h"

#include "DisplayCodes.h"
#include "Palette.h"

#include <algorithm>

std::optional<int> AnyCaseDigitValue(char byte)
{
    if (byte >= 'A' && byte <= 'F')
        return byte - 'A' + 10;
    return HexDigitValue(byte);
}

bool IsResetSequenceCode(std::uint8_t code) { return (code >= 0x01 && code <= 0x05) || code == 0x1B; }

int ReaderState::Packed() const
{
    return foreground | background << 4 | pendingBackground << 8 | static_cast<int>(colour) << 12 | int(imageLine) << 14
        | int(ended) << 15 | int(lineDrawing) << 16 | (output & 0x07) << 17;
}

ReaderState ReaderState::Unpacked(int packed)
{
    ReaderState state;
    state.foreground = packed & 0x0F;
    state.background = packed >> 4 & 0x0F;
    state.pendingBackground = packed >> 8 & 0x0F;
    state.colour = static_cast<Colour>(packed >> 12 & 0x03);
    state.imageLine = (packed >> 14 & 1) != 0;
    state.ended = (packed >> 15 & 1) != 0;
    state.lineDrawing = (packed >> 16 & 1) != 0;
    state.output = 0x10 | (packed >> 17 & 0x07);
    return state;
}

ByteRole ByteReader::Read(char byte)
{
    if (m_state.ended)
        return ByteRole::AfterEnd;
    if (m_state.imageLine) {
        m_state.imageLine = byte != DisplayCode::LF;
        return ByteRole::ImageLine;
    }
    // The preview removes image lines before it reads any command.
    if (m_rules == ScreenRules::Preview && byte == DisplayCode::ImageReference) {
        m_state.imageLine = true;
        return ByteRole::ImageLine;
    }
    if (m_state.colour != ReaderState::Colour::None)
        return ReadDigit(byte);
    return ReadCode(static_cast<std::uint8_t>(byte));
}

ByteRole ByteReader::ReadDigit(char byte)
{
    const bool background = m_state.colour == ReaderState::Colour::Background;
    const ByteRole role = background ? ByteRole::BackgroundDigit : ByteRole::ForegroundDigit;
    if (m_rules == ScreenRules::Boot) {
        const std::optional<int> digit = AnyCaseDigitValue(byte);
        if (!digit) {
            m_state.foreground = DefaultForegroundDigit;
            m_state.background = DefaultBackgroundDigit;
            m_state.colour = ReaderState::Colour::None;
        } else if (background) {
            m_state.pendingBackground = *digit;
            m_state.colour = ReaderState::Colour::Foreground;
        } else {
            m_state.background = m_state.pendingBackground;
            m_state.foreground = *digit;
            m_state.colour = ReaderState::Colour::None;
        }
        return role;
    }
    if (background) {
        m_state.pendingBackground = HexDigitValue(byte).value_or(DefaultBackgroundDigit);
        m_state.colour = ReaderState::Colour::Foreground;
        return role;
    }
    m_state.background = m_state.pendingBackground;
    m_state.foreground = HexDigitValue(byte).value_or(DefaultForegroundDigit);
    // The preview looks at the foreground digit once more as an ordinary
    // byte, so a 0x0F there starts the next command.
    if (byte == DisplayCode::ColourCommand) {
        m_state.colour = ReaderState::Colour::Background;
        return ByteRole::ColourLead;
    }
    m_state.colour = ReaderState::Colour::None;
    return role;
}

ByteRole ByteReader::ReadCode(std::uint8_t code)
{
    if (code == DisplayCode::ColourCommand) {
        m_state.colour = ReaderState::Colour::Background;
        return ByteRole::ColourLead;
    }
    if (code == DisplayCode::CR || code == DisplayCode::LF)
        return ByteRole::LineBreak;
    if (m_rules == ScreenRules::Preview)
        return code >= 0x20 ? ByteRole::Text : ByteRole::Code;
    switch (code) {
    case 0x1A:
    case 0xFF: m_state.ended = true; return ByteRole::AfterEnd;
    case 0x18: m_state.imageLine = true; return ByteRole::ImageLine;
    case 0x0B: return ByteRole::LineBreak;
    case 0x0E: m_state.lineDrawing = true; return ByteRole::Code;
    default: break;
    }
    if (code >= 0x10 && code <= 0x17) {
        m_state.output = code;
        return ByteRole::Code;
    }
    return code >= 0x20 && code != 0x7F ? ByteRole::Text : ByteRole::Code;
}

int ByteReader::ColumnAfter(int column, ByteRole role, char byte) const
{
    const auto code = static_cast<std::uint8_t>(byte);
    const bool boot = m_rules == ScreenRules::Boot;
    if (boot && !m_state.OnScreen())
        return column;
    switch (role) {
    case ByteRole::Text: return column + 1;
    case ByteRole::LineBreak:
        if (boot)
            return code == DisplayCode::CR ? column : 0;
        return code == DisplayCode::CR ? 0 : column;
    case ByteRole::Code:
        if (code == 0x08)
            return std::max(0, column - 1);
        if (!boot)
            return column;
        if (code == 0x09)
            return (column / 8 + 1) * 8;
        if (IsResetSequenceCode(code))
            return column + 3;
        return code == DisplayCode::ClearScreen ? 0 : column;
    default: return column;
    }
}
