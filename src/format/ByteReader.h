#pragma once

#include <cstdint>

// How a display file's bytes are read on the way to the screen, one byte at
// a time: which bytes are text, which belong to a colour command or an image
// line, which are other codes, and the colours in force. Two rule sets: the
// preview's (lower-case digits only, a non-digit gives the role's default,
// a 0x0F in the foreground digit's place starts a new command) and the boot
// loader's (digits in either case, a non-digit makes the colour 07 and is
// swallowed, 0x1A and 0xFF end the file, 0x10-0x17 select the output).
enum class ScreenRules { Preview, Boot };

enum class ByteRole : std::uint8_t {
    Text, // a glyph on the screen (under the boot rules, unless hidden)
    LineBreak, // CR or LF (under the boot rules also 0x0B)
    ColourLead,
    BackgroundDigit,
    ForegroundDigit,
    ImageLine, // from a 0x18 through the next LF
    Code, // any other control byte
    AfterEnd, // 0x1A or 0xFF and everything after it (boot rules)
};

struct ReaderState {
    enum class Colour : std::uint8_t { None, Background, Foreground };

    int foreground = 7;
    int background = 0;
    int pendingBackground = 0; // read, not yet in force
    Colour colour = Colour::None;
    bool imageLine = false;
    bool ended = false;
    bool lineDrawing = false; // after 0x0E (boot rules)
    int output = 0x11; // the last of 0x10-0x17 (boot rules); bit 0 is the screen

    bool OnScreen() const { return (output & 0x01) != 0; }
    // The state in one non-negative int below 1 << 20, for a text block's
    // user state.
    int Packed() const;
    static ReaderState Unpacked(int packed);
    bool operator==(const ReaderState&) const = default;
};

class ByteReader {
public:
    explicit ByteReader(ScreenRules rules, ReaderState state = {})
        : m_rules(rules)
        , m_state(state)
    {
    }

    ByteRole Read(char byte);
    // The colours in force after the last byte read.
    const ReaderState& State() const { return m_state; }
    ScreenRules Rules() const { return m_rules; }

    // The column after a byte of this role, from a column: colour commands,
    // image lines and most codes take no room.
    int ColumnAfter(int column, ByteRole role, char byte) const;

private:
    ByteRole ReadDigit(char byte);
    ByteRole ReadCode(std::uint8_t code);

    ScreenRules m_rules;
    ReaderState m_state;
};

#include <optional>

// The value of a colour digit in either case, as the boot loader takes it.
std::optional<int> AnyCaseDigitValue(char byte);

// 0x01-0x05 and 0x1B, for which the boot loader prints "[0m".
bool IsResetSequenceCode(std::uint8_t code);
