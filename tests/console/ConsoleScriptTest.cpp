// Runs the console scripts in scripts/: each line either acts on a console
// or states what must hold at that point, in the manner of a terminal
// library's test scripts.
//
//   console 80x25 [crlf|cr|lf]  a fresh console (grid size, line-break mode)
//   window 640x400 [eager]      shows it in a recording window; eager: no coLazyWrite
//   write "text"                writes, with \r \n \t \b \xNN escapes
//   resize 20x10 | scrollto 0,3 | deliver (runs the window's wake-ups)
//   row N "text"                row N without trailing blanks
//   cursor X,Y | origin X,Y | toprow N | beeps N
//   invalidated L,T,R,B         the next invalidated rectangle, in order
//   scrolled DX,DY L,T,R,B      the next pixel scroll and its clip
//   waiting X,Y | waiting none  the waiting scroll request
//   quiet                       nothing more was invalidated or scrolled
#include "FakeMeasurer.h"
#include "FakeWindow.h"
#include "Rows.h"
#include "console/Console.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

namespace {

std::string Unescape(const std::string& quoted)
{
    std::string text;
    for (size_t i = 1; i + 1 < quoted.size(); ++i) {
        if (quoted[i] != '\\') {
            text += quoted[i];
            continue;
        }
        const char escape = quoted[++i];
        switch (escape) {
        case 'r': text += '\r'; break;
        case 'n': text += '\n'; break;
        case 't': text += '\t'; break;
        case 'b': text += '\b'; break;
        case 'x':
            text += static_cast<char>(std::stoi(quoted.substr(i + 1, 2), nullptr, 16));
            i += 2;
            break;
        default: text += escape;
        }
    }
    return text;
}

// "A,B" or "AxB" or "A,B,C,D".
std::vector<int> Numbers(const std::string& word)
{
    std::vector<int> numbers;
    std::string number;
    std::istringstream in(word);
    while (std::getline(in, number, word.find('x') != std::string::npos ? 'x' : ','))
        numbers.push_back(std::stoi(number));
    return numbers;
}

PixelRect Rect(const std::string& word)
{
    const std::vector<int> n = Numbers(word);
    return { n.at(0), n.at(1), n.at(2), n.at(3) };
}

class Script {
public:
    void Run(const std::string& line)
    {
        std::istringstream in(line);
        std::string command;
        in >> command;
        std::string rest;
        std::getline(in >> std::ws, rest);
        Do(command, rest);
    }

private:
    void Do(const std::string& command, const std::string& rest)
    {
        std::istringstream words(rest);
        std::string first, second;
        words >> first >> second;
        if (command == "console") {
            m_window.reset();
            m_console = std::make_unique<TConsole>(m_measurer);
            const std::vector<int> size = Numbers(first);
            m_console->SetCols(size.at(0));
            m_console->SetRows(size.at(1));
            m_console->SetLineBreak(second == "cr" ? TConsoleLineBreak::CR
                    : second == "lf"               ? TConsoleLineBreak::LF
                                                   : TConsoleLineBreak::CRLF);
        } else if (command == "window") {
            if (second == "eager")
                m_console->SetOptions(m_console->Options() & ~TConsoleOptions(coLazyWrite));
            const std::vector<int> size = Numbers(first);
            m_window = std::make_unique<FakeWindow>(*m_console, PixelRect { 0, 0, size.at(0), size.at(1) });
            m_window->invalidated.clear();
        } else if (command == "write") {
            m_console->WriteString(Unescape(rest));
        } else if (command == "resize") {
            const std::vector<int> size = Numbers(first);
            m_console->SetRows(size.at(1));
            m_console->SetCols(size.at(0));
        } else if (command == "scrollto") {
            const std::vector<int> to = Numbers(first);
            m_console->ScrollTo(to.at(0), to.at(1));
        } else if (command == "deliver") {
            m_window->DeliverAll();
        } else if (command == "row") {
            EXPECT_EQ(Trimmed(m_console->ScreenRow(std::stoi(first))), Unescape(rest.substr(rest.find('"'))));
        } else if (command == "cursor") {
            EXPECT_EQ(m_console->Cursor(), Pair(first));
        } else if (command == "origin") {
            EXPECT_EQ(m_console->Origin(), Pair(first));
        } else if (command == "toprow") {
            EXPECT_EQ(m_console->TopRow(), std::stoi(first));
        } else if (command == "beeps") {
            EXPECT_EQ(m_window->beeps, std::stoi(first));
        } else if (command == "invalidated") {
            ASSERT_FALSE(m_window->invalidated.empty()) << "nothing invalidated";
            EXPECT_EQ(m_window->invalidated.front(), Rect(first));
            m_window->invalidated.erase(m_window->invalidated.begin());
        } else if (command == "scrolled") {
            ASSERT_FALSE(m_window->scrolls.empty()) << "nothing scrolled";
            const FakeWindow::Scroll scroll = m_window->scrolls.front();
            EXPECT_EQ((CellPair { scroll.dx, scroll.dy }), Pair(first));
            EXPECT_EQ(scroll.clip, Rect(second));
            m_window->scrolls.erase(m_window->scrolls.begin());
        } else if (command == "waiting") {
            if (first == "none")
                EXPECT_FALSE(m_window->WaitingScroll());
            else
                EXPECT_EQ(m_window->WaitingScroll(), std::optional<CellPair>(Pair(first)));
        } else if (command == "quiet") {
            EXPECT_TRUE(m_window->invalidated.empty());
            EXPECT_TRUE(m_window->scrolls.empty());
        } else {
            FAIL() << "unknown command " << command;
        }
    }

    static CellPair Pair(const std::string& word)
    {
        const std::vector<int> n = Numbers(word);
        return { n.at(0), n.at(1) };
    }

    FakeMeasurer m_measurer; // 8 × 16 cells
    std::unique_ptr<TConsole> m_console = std::make_unique<TConsole>(m_measurer);
    std::unique_ptr<FakeWindow> m_window;
};

QStringList ScriptFiles()
{
    return QDir(QStringLiteral(GLIMRA_CONSOLE_SCRIPTS)).entryList({ QStringLiteral("*.test") }, QDir::Files);
}

class ConsoleScript : public ::testing::TestWithParam<QString> { };

}

TEST_P(ConsoleScript, Holds)
{
    QFile file(QDir(QStringLiteral(GLIMRA_CONSOLE_SCRIPTS)).filePath(GetParam()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    Script script;
    int number = 0;
    while (!file.atEnd()) {
        const std::string line = file.readLine().trimmed().toStdString();
        ++number;
        if (line.empty() || line[0] == '#')
            continue;
        SCOPED_TRACE(GetParam().toStdString() + ":" + std::to_string(number) + ": " + line);
        script.Run(line);
    }
}

INSTANTIATE_TEST_SUITE_P(Scripts, ConsoleScript, ::testing::ValuesIn(ScriptFiles()),
    [](const ::testing::TestParamInfo<QString>& script) { return script.param.section('.', 0, 0).toStdString(); });
