#pragma once

#include <QByteArray>

class ByteSink;
class ScreenMap;
class TColorConsole;

// The text without its image-reference lines: each from its 0x18 through
// the next LF, both included. Bytes before a 0x18 stay and join the line
// that follows; a 0x18 line without LF runs to the end of the text.
QByteArray StripImageLines(QByteArrayView text);

// Renders a display file into the preview console by the classic preview's
// rules (the loader's own are in boot/BootRendering): the console is cleared
// (in the colours the font still has), colour commands set the font's colours
// and are never shown, image-reference lines are removed, and every other
// byte goes to sink, which must end in the console. The console font keeps
// the colours of the last colour command afterwards. With a map, the bytes
// go one by one and each is placed in it.
void RenderDisplayFile(TColorConsole& console, QByteArrayView editorText, ByteSink& sink, ScreenMap* map = nullptr);
