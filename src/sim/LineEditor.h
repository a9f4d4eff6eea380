#pragma once

#include <QByteArray>

#include <optional>

// The command-line editing both loaders share, key for key: ldlinux.c32's
// boot: prompt (cli.c) and menu.c32's Tab editor (menumain.c) each keep a
// static buffer of MAX_CMDLINE_LEN bytes and take the same keys into it;
// what each prints, its other keys and its history are its own. Keys are
// get_key's codes (KeyCodes.h).
class LineEditor {
public:
    // MAX_CMDLINE_LEN (com32/include/menu.h), the terminator included.
    static constexpr int BufferSize = 2048;

    // What a key did, for the editor's owner to show.
    enum class Effect {
        Ignored, // not an editing key: the owner's, if anything
        Nothing, // an editing key that changes nothing
        Redraw, // the line changed, or the cursor moved back
        Echo, // the cursor stepped right over `byte`, printed again
        Typed, // `byte` was added at the end
    };
    struct Result {
        Effect effect = Effect::Ignored;
        char byte = 0;
    };
    Result Press(int key);

    // A new line where the cursor is: empty, the buffer kept as it was
    // (the prompt's), or the buffer set to a line cut to its size, the
    // cursor at its end (the menu's entry, a line of the history).
    void Begin() { m_length = m_cursor = 0; }
    void Set(const QByteArray& line);
    void Clear()
    {
        m_buffer.clear();
        Begin();
    }

    // The line as the editor holds it, and the buffer as a C string up to
    // its first NUL, which is what Enter returns.
    QByteArray Line() const { return m_buffer.left(m_length); }
    const QByteArray& Buffer() const { return m_buffer; }
    int Length() const { return m_length; }
    int Cursor() const { return m_cursor; }

private:
    Result Edited() { return { Effect::Redraw, 0 }; }
    std::optional<Result> Remove(int key);
    std::optional<Result> Move(int key);

    QByteArray m_buffer;
    int m_length = 0;
    int m_cursor = 0;
};
