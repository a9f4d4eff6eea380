#pragma once

#include <QByteArray>

// A help screen's file as menu.c32 prints it (printmsg.c,
// draw_message_file): the screen cleared in msg07 first, SI and two hex
// digits for a colour (msgXX, by the colour-table code "\3#nnn"), CAN
// skipping its line, FF clearing the screen, SUB ending the file, CR, LF
// and BEL as they are, every other control byte dropped.
QByteArray HelpScreenBytes(const QByteArray& file);
