#pragma once

class QFont;
class QString;

// A PC screen face ("Fixedsys", "Terminal") at a pixel height, for the
// document, the character table and the canvas's rulers.
QFont PcScreenFont(const QString& face, int pixels);
