#include "console/Console.h"
#include "console/ConsoleWidget.h"
#include "console/QtFonts.h"

#include <QApplication>

#include <string>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Glimra"));

    TConsole console(QtFontMeasurer::Instance());
    console.Font().SetName(QStringLiteral("Terminal"));
    console.Font().SetCharset(OEM_CHARSET);
    console.Font().SetSize(12);
    console.Font().SetColor(0x00AAAAAA);
    console.Font().SetBkColor(0);
    ConsoleWidget widget(console);
    widget.setWindowTitle(QStringLiteral("Glimra console"));
    widget.resize(480, 300);
    widget.show();

    console.WriteString("\xc9" + std::string(30, '\xcd') + "\xbb\r\n");
    console.WriteString("\xba Glimra console              \xba\r\n");
    console.WriteString("\xc8" + std::string(30, '\xcd') + "\xbc\r\n");
    for (int line = 1; line <= 40; ++line)
        console.WriteString("Line " + std::to_string(line) + ": \xb0\xb1\xb2\xdb arrows, Page Up/Down, Home and End scroll\r\n");
    return application.exec();
}
