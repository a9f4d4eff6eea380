#include "FileCommandsFixture.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProcess>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

TEST_F(FileCommandsTest, LineBreaksAreNormalisedOnOpenAndBytesKeptOnSave)
{
    struct Case {
        QByteArray file;
        QByteArray saved;
    };
    QByteArray everyByte;
    for (int byte = 1; byte < 256; ++byte)
        if (byte != '\r' && byte != '\n')
            everyByte += static_cast<char>(byte);
    everyByte += "\r\n";
    const Case cases[] = {
        { "A\nB", "A\r\nB" },
        { "A\r\nB\r\n", "A\r\nB\r\n" },
        { "A\rB\r", "A\r\nB\r\n" },
        { "mixed\n\r\r\nend", "mixed\r\n\r\n\r\nend" },
        { "\x0f"
          "1eX",
            "\x0f"
            "1eX" },
        { everyByte, everyByte },
        { "", "" },
    };
    int round = 0;
    for (const Case& test : cases) {
        const QString in = Write(QStringLiteral("in%1.msg").arg(round), test.file);
        const QString out = Path(QStringLiteral("out%1.msg").arg(round++));
        EXPECT_FALSE(Open(in).shown);
        EXPECT_EQ(Title(), in);
        EXPECT_TRUE(Save1->isEnabled());
        EXPECT_FALSE(SaveAs(out).shown);
        EXPECT_EQ(Read(out), test.saved) << test.file.toHex().constData();
    }
}

TEST_F(FileCommandsTest, NewClearsWithoutAQuestion)
{
    Open(Write("f.txt", "text"));
    SetDocument("changed");
    const ShownBox box = AnswerBox([&] { Choose("&New"); });
    EXPECT_FALSE(box.shown);
    EXPECT_TRUE(Bytes().isEmpty());
    EXPECT_EQ(Title(), "Untitled");
    EXPECT_FALSE(Save1->isEnabled());
}

TEST_F(FileCommandsTest, SaveWritesTheOpenedFileAfterSaveAsAndAFailedOpen)
{
    const QString f = Write("f.txt", "original");
    Open(f);
    SetDocument("edited");
    SaveAs(Path("g.txt"));
    const ShownBox failed = Open(Path("missing.txt"));
    EXPECT_TRUE(failed.shown);
    EXPECT_EQ(failed.title, "Glimra");
    EXPECT_EQ(
        failed.text, QStringLiteral("Cannot open file \"%1\". No such file or directory.").arg(Path("missing.txt")));
    EXPECT_EQ(Bytes(), QByteArray("edited")) << "a failed Open changes nothing";
    EXPECT_EQ(Title(), Path("g.txt")) << "Save As made g.txt the document's file";
    SetDocument("edited again");
    const ShownBox question = Save(QMessageBox::Yes);
    EXPECT_EQ(question.title, "Confirm");
    EXPECT_EQ(question.text, "Are you sure?");
    EXPECT_EQ(question.defaultButton, QMessageBox::Yes);
    EXPECT_EQ(Read(f), QByteArray("original")) << "the edits meant for g.txt never reach f.txt";
    EXPECT_EQ(Read(Path("g.txt")), QByteArray("edited again"));
}

TEST_F(FileCommandsTest, SaveAnsweredNoOrEscapeWritesNothing)
{
    const QString f = Write("f.txt", "original");
    Open(f);
    SetDocument("edited");
    EXPECT_TRUE(Save(QMessageBox::No).shown);
    EXPECT_TRUE(Save(QMessageBox::NoButton).shown);
    EXPECT_EQ(Read(f), QByteArray("original"));
}

TEST_F(FileCommandsTest, SaveAsAsksBeforeReplacingAndTheFileBecomesTheDocuments)
{
    const QString existing = Write("existing.msg", "old contents that are longer");
    SetDocument("new");
    EXPECT_FALSE(Save1->isEnabled());
    const ShownBox asked = SaveAs(existing, QMessageBox::Yes);
    EXPECT_TRUE(asked.shown) << "another file is not replaced without a word";
    EXPECT_TRUE(asked.text.contains("already exists")) << asked.text.toStdString();
    EXPECT_EQ(Read(existing), QByteArray("new"));
    EXPECT_EQ(Title(), existing) << "the new file is the document's";
    EXPECT_TRUE(Save1->isEnabled());
    EXPECT_FALSE(glavna.isWindowModified());
}

TEST_F(FileCommandsTest, DialogsOfferTheLastAcceptedName)
{
    const QString f = Write("f.txt", "x");
    Open(f);
    const QString offered = AnswerFileDialog([&] { Choose("&Open..."); }, QString());
    EXPECT_EQ(offered, f);
    EXPECT_EQ(Bytes(), QByteArray("x")) << "cancelling changes nothing";
}

TEST_F(FileCommandsTest, TypedNamesStandAsTheyAre)
{
    SetDocument("abc");
    SaveAs(Path("named"));
    EXPECT_EQ(Read(Path("named")), QByteArray("abc")) << "a new name gains no extension";
    EXPECT_FALSE(QFile::exists(Path("named.txt")));

    Write("f2", "help screen");
    Write("f2.txt", "another file");
    Open(Path("f2"));
    EXPECT_EQ(Bytes(), QByteArray("help screen"));
    SetDocument("edited");
    SaveAs(Path("f2"));
    EXPECT_EQ(Read(Path("f2")), QByteArray("edited"));
    EXPECT_EQ(Read(Path("f2.txt")), QByteArray("another file"));
}

TEST_F(FileCommandsTest, EveryByteSurvivesOpenAndSaveAs)
{
    QByteArray everyByte;
    for (int byte = 0; byte < 256; ++byte)
        everyByte += static_cast<char>(byte);
    const ShownBox box = Open(Write("all.msg", everyByte));
    EXPECT_FALSE(box.shown) << box.text.toStdString();
    EXPECT_TRUE(Editor->toPlainText().startsWith(QChar(0x2400))) << "NUL shows as a mark";
    SaveAs(Path("saved.msg"));
    QByteArray expected = everyByte;
    expected.replace("\n\x0b\x0c\r", "\r\n\x0b\x0c\r\n"); // Open's line breaks: the lone LF and CR
    EXPECT_EQ(Read(Path("saved.msg")), expected);
}

TEST_F(FileCommandsTest, TooLargeATextIsRefused)
{
    const QString big = Write("big.txt", QByteArray(TGlavna::MemoCapacity + 1, 'x'));
    const ShownBox box = Open(big);
    EXPECT_EQ(box.text, "Text exceeds memo capacity.");
    EXPECT_TRUE(box.detail.contains("16 MiB")) << box.detail.toStdString();
    EXPECT_TRUE(Bytes().isEmpty());
    // What is not a regular file is refused before it is read: a FIFO with no
    // writer would block the window for ever.
    const QString fifo = Path("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const auto& [path, kind] : { std::pair { fifo, "It is a FIFO, not a regular file." },
             { QStringLiteral("/dev/zero"), "It is a device, not a regular file." } }) {
        const ShownBox refused = Open(path);
        EXPECT_EQ(refused.text, QStringLiteral("Cannot open file \"%1\". %2").arg(path, kind));
    }
}

TEST_F(FileCommandsTest, ReplacingUnsavedWorkAsksFirst)
{
    const QString other = Write("other.msg", "other");
    const auto drop = [&] {
        QMimeData data;
        data.setUrls({ QUrl::fromLocalFile(other) });
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Editor->viewport(), &enter);
        QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Editor->viewport(), &dropped);
    };
    const std::pair<const char*, std::function<void()>> commands[] = { { "New", [&] { Choose("&New"); } },
        { "Open", [&] { AnswerFileDialog([&] { Choose("&Open..."); }, other); } }, { "drop", drop } };
    for (const auto& [name, command] : commands) {
        SetDocument("work");
        QTest::keyClicks(Editor, "!");
        const ShownBox kept = AnswerBox(command, QMessageBox::No);
        EXPECT_EQ(kept.text, "Discard unsaved changes?") << name;
        EXPECT_EQ(kept.defaultButton, QMessageBox::No) << name;
        EXPECT_EQ(Bytes(), "work!") << name;
        const ShownBox discarded = AnswerBox(command, QMessageBox::Yes);
        EXPECT_TRUE(discarded.shown) << name;
        EXPECT_NE(Bytes(), "work!") << name;
        EXPECT_FALSE(AnswerBox(command).shown) << name << ": nothing unsaved, nothing asked";
    }
}

TEST_F(FileCommandsTest, AFailedWriteLeavesTheOldFileIntact)
{
    const QString f = Write("f.txt", "the old contents");
    Open(f);
    SetDocument(QByteArray(64 * 1024, 'n'));
    // A file size limit makes the write stop short, also for root.
    rlimit previous {};
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit limited = previous;
    limited.rlim_cur = 4096;
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limited);
    const std::vector<ShownBox> boxes = AnswerBoxes([&] { Choose("&Save"); }, { QMessageBox::Yes, QMessageBox::Ok });
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].title, "Glimra");
    EXPECT_EQ(boxes[1].text, "Stream write error. File too large.");
    EXPECT_EQ(boxes[1].detail, QStringLiteral("\"%1\": File too large").arg(f));
    EXPECT_EQ(Read(f), QByteArray("the old contents"));
    EXPECT_EQ(QDir(directory.path()).entryList(QDir::Files), QStringList { "f.txt" }) << "no temporary file left";
}

TEST_F(FileCommandsTest, WriteErrorsAreReported)
{
    SetDocument("x");
    const ShownBox box = SaveAs(Path("no/such/folder/f.txt"));
    EXPECT_TRUE(box.shown);
    EXPECT_TRUE(box.text.startsWith(QStringLiteral("Cannot create file \"%1\".").arg(Path("no/such/folder/f.txt"))))
        << box.text.toStdString();
    EXPECT_TRUE(box.detail.startsWith(QStringLiteral("\"%1\": ").arg(Path("no/such/folder/f.txt"))))
        << "the file and the system's reason: " << box.detail.toStdString();
}

TEST_F(FileCommandsTest, CloseAsksOnlyWhenChangesWouldBeLost)
{
    EXPECT_FALSE(AnswerBox([&] { glavna.close(); }, QMessageBox::No).shown) << "nothing to lose";
    EXPECT_FALSE(glavna.isVisible());
    ShowAndWait(glavna);
    SetDocument("x");
    QTest::keyClicks(Editor, "y");
    const ShownBox no = AnswerBox([&] { glavna.close(); }, QMessageBox::No);
    EXPECT_EQ(no.title, "Confirm");
    EXPECT_EQ(no.text, "Quit progam (lose unsaved work) ?");
    EXPECT_TRUE(glavna.isVisible());
    const ShownBox yes = AnswerBox([&] { Choose("E&xit"); }, QMessageBox::Yes);
    EXPECT_TRUE(yes.shown);
    EXPECT_FALSE(glavna.isVisible());
}

TEST_F(FileCommandsTest, AChangeByAnotherProgramIsNotOverwrittenUnasked)
{
    const QString file = Write("f2", "mine");
    Open(file);
    Write("f2", "theirs, longer");
    const std::vector<ShownBox> no = AnswerBoxes([&] { Choose("&Save"); }, { QMessageBox::Yes, QMessageBox::No });
    ASSERT_EQ(no.size(), 2u);
    EXPECT_EQ(no[1].text, "The file was changed by another program since it was opened. Replace it?");
    EXPECT_EQ(no[1].title, "Confirm");
    EXPECT_EQ(Read(file), "theirs, longer");
    EXPECT_EQ(Bytes(), "mine") << "No keeps the document too";

    AnswerBoxes([&] { Choose("&Save"); }, { QMessageBox::Yes, QMessageBox::Yes });
    EXPECT_EQ(Read(file), "mine");
    EXPECT_EQ(AnswerBoxes([&] { Choose("&Save"); }, { QMessageBox::Yes }).size(), 1u) << "saved: no question now";
    Write("f2", "theirs again");
    // The dialog asks first whether to replace the file at all, then Glimra
    // whether to replace another program's change.
    const std::vector<ShownBox> asked = AnswerBoxes(
        [&] { AnswerFileDialog([&] { Choose("Save &As..."); }, file); }, { QMessageBox::Yes, QMessageBox::No });
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1].text, "The file was changed by another program since it was opened. Replace it?");
    EXPECT_EQ(Read(file), "theirs again");
}

TEST_F(FileCommandsTest, KeepLfLineBreaksSavesAnLfFileWithLf)
{
    QLabel* lineBreaks = Find<QLabel>(glavna, "LineBreaks");
    QAction* keepLf = Find<QAction>(glavna, "KeepLF1");
    EXPECT_FALSE(keepLf->isChecked());
    Open(Write("unix.msg", "a\nb\n"));
    EXPECT_EQ(lineBreaks->text(), "LF");
    Save(QMessageBox::Yes);
    EXPECT_EQ(Read(Path("unix.msg")), "a\r\nb\r\n") << "off: CR LF, as ever";

    keepLf->trigger();
    EXPECT_TRUE(QSettings().value(QStringLiteral("editor/keepLfLineBreaks")).toBool()) << "remembered";
    Open(Write("unix.msg", "a\nb\n"));
    Save(QMessageBox::Yes);
    EXPECT_EQ(Read(Path("unix.msg")), "a\nb\n");
    Open(Write("mixed.msg", "a\nb\r\n"));
    EXPECT_EQ(lineBreaks->text(), "CR LF");
    Save(QMessageBox::Yes);
    EXPECT_EQ(Read(Path("mixed.msg")), "a\r\nb\r\n");
}

TEST_F(FileCommandsTest, TheCommandLineOpensAFileAsOpenDoes)
{
    glavna.OpenAtStart(Write("f1", "from the command line"), QFile::encodeName(Path("f1")));
    EXPECT_EQ(Bytes(), "from the command line");
    EXPECT_EQ(Title(), Path("f1"));
    const ShownBox missing = AnswerBox([&] { glavna.OpenAtStart(Path("absent"), QFile::encodeName(Path("absent"))); });
    EXPECT_TRUE(missing.text.startsWith("Cannot open file")) << missing.text.toStdString();
    const ShownBox undecodable = AnswerBox([&] { glavna.OpenAtStart(Path("caf?.msg"), "caf\xe9.msg"); });
    EXPECT_TRUE(undecodable.text.contains("not valid in the system's encoding")) << undecodable.text.toStdString();
    EXPECT_EQ(Bytes(), "from the command line");
}

TEST(EditorCommandLine, HelpVersionAndMistakesNeedNoDisplay)
{
    auto run = [](const QStringList& arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(GLIMRA_EDITOR_PATH), arguments);
        process.waitForFinished(30000);
        return std::tuple { process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError() };
    };
    const auto [helpStatus, help, helpErrors] = run({ "--help" });
    EXPECT_EQ(helpStatus, 0);
    EXPECT_TRUE(help.startsWith("Usage: glimra [options] [FILE]")) << help.constData();
    const auto [versionStatus, version, versionErrors] = run({ "--version" });
    EXPECT_EQ(versionStatus, 0);
    EXPECT_EQ(version, "glimra 1.0.1\n");
    const auto [bogusStatus, bogusOut, bogus] = run({ "--bogus" });
    EXPECT_EQ(bogusStatus, 2);
    EXPECT_TRUE(bogus.startsWith("glimra: Unknown option 'bogus'.")) << bogus.constData();
}

TEST_F(FileCommandsTest, ShortcutsReachTheirCommands)
{
    SetDocument("one two one", 1);
    Editor->setFocus();
    QTest::keyClick(&glavna, Qt::Key_F, Qt::ControlModifier);
    QDialog* find = Find<QDialog>(glavna, "FindDialog1");
    ASSERT_TRUE(find->isVisible());
    Find<QLineEdit>(*find, "FindWhat")->setText("one");
    QTest::keyClick(&glavna, Qt::Key_F3);
    EXPECT_EQ(Editor->textCursor().selectionStart(), 8) << "F3 finds the next one";
    QTest::keyClick(&glavna, Qt::Key_H, Qt::ControlModifier);
    EXPECT_TRUE(Find<QDialog>(glavna, "ReplaceDialog1")->isVisible());
    QTest::keyClick(&glavna, Qt::Key_F5);
    EXPECT_TRUE(preview.isVisible());
    glavna.activateWindow();
    QTest::keyClick(&glavna, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(Title(), "Untitled");
    EXPECT_TRUE(Bytes().isEmpty());
    QTest::keyClicks(Editor, "z");
    const ShownBox quit = AnswerBox([&] { QTest::keyClick(&glavna, Qt::Key_Q, Qt::ControlModifier); }, QMessageBox::No);
    EXPECT_EQ(quit.text, "Quit progam (lose unsaved work) ?");
}

TEST_F(FileCommandsTest, TheTitleMarksUnsavedChanges)
{
    const QString file = Write("f.msg", "text");
    Open(file);
    EXPECT_FALSE(glavna.isWindowModified());
    Editor->setFocus();
    QTest::keyClicks(Editor, "x");
    EXPECT_TRUE(glavna.isWindowModified());
    SaveAs(Path("copy.msg"));
    EXPECT_FALSE(glavna.isWindowModified()) << "the file saved to is the document's now";
    QTest::keyClicks(Editor, "z");
    Save(QMessageBox::Yes);
    EXPECT_FALSE(glavna.isWindowModified());
    QTest::keyClicks(Editor, "y");
    AnswerBox([&] { Choose("&New"); }, QMessageBox::Yes);
    EXPECT_FALSE(Editor->document()->isModified());
    EXPECT_FALSE(glavna.isWindowModified());
}

TEST_F(FileCommandsTest, ADroppedFileOpensAndDroppedTextIsInserted)
{
    const QString file = Write("f3", "dropped file");
    auto drop = [](QWidget* target, QMimeData* data) {
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &dropped);
    };
    QMimeData onEditor;
    onEditor.setUrls({ QUrl::fromLocalFile(file) });
    drop(Editor->viewport(), &onEditor);
    EXPECT_EQ(Bytes(), "dropped file") << "opened, not its address inserted";
    EXPECT_EQ(Title(), file);

    Write("f4", "on the window");
    QMimeData onWindow;
    onWindow.setUrls({ QUrl::fromLocalFile(Path("f4")) });
    drop(&glavna, &onWindow);
    EXPECT_EQ(Bytes(), "on the window");

    SetDocument("", 0);
    QMimeData text;
    text.setText(QString::fromUtf8("a\r\nb€"));
    drop(Editor->viewport(), &text);
    EXPECT_EQ(Bytes(), "a\r\nb?") << "as a paste";
}

TEST_F(FileCommandsTest, RecentFilesAndFoldersAreRememberedAcrossRuns)
{
    Open(Write("a.msg", "a"));
    Open(Write("b.msg", "b"));
    Open(Write("gone.msg", "soon gone"));
    QFile::remove(Path("gone.msg"));
    TGlavna nextRun;
    QMenu* recent = Find<QMenu>(nextRun, "OpenRecent1");
    emit recent->aboutToShow();
    QStringList entries;
    for (QAction* entry : recent->actions())
        entries << entry->text();
    EXPECT_EQ(entries, (QStringList { Path("gone.msg"), Path("b.msg"), Path("a.msg") }));
    const ShownBox gone = AnswerBox([&] { recent->actions()[0]->trigger(); });
    EXPECT_TRUE(gone.text.contains("no longer there")) << gone.text.toStdString();
    emit recent->aboutToShow();
    EXPECT_EQ(recent->actions().size(), 2) << "dropped from the list";
    recent->actions()[1]->trigger();
    EXPECT_EQ(Find<DocumentEdit>(nextRun, "Editor")->Bytes(), "a");

    const QString offered = AnswerFileDialog([&] { Find<QAction>(nextRun, "Open1")->trigger(); }, {});
    EXPECT_TRUE(offered.startsWith(directory.path())) << "the open dialog starts where it was last used";
}

TEST_F(FileCommandsTest, SaveAsOffersAllFilesAndKeepsTheFilterLastUsed)
{
    SetDocument("text");
    SaveAs(Path("first.msg"));
    auto* dialog = glavna.findChild<QFileDialog*>("SaveDialog1");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->nameFilters().last(), "All Files (*)");
    dialog->selectNameFilter("All Files (*)");
    SaveAs(Path("second"));
    TGlavna nextRun;
    AnswerFileDialog([&] { Find<QAction>(nextRun, "SaveAs1")->trigger(); }, {});
    EXPECT_EQ(nextRun.findChild<QFileDialog*>("SaveDialog1")->selectedNameFilter(), "All Files (*)");
}

// Save's question has a "Do not ask again" box; ticked, Save asks no more,
// in this run and the next.
TEST_F(FileCommandsTest, SaveStopsAskingWhenToldTo)
{
    const QString file = Write("f.msg", "old");
    Open(file);
    SetDocument("new");
    QTimer tick;
    tick.setInterval(5);
    QString offered;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); box && box->checkBox()) {
            offered = box->checkBox()->text();
            box->checkBox()->setChecked(true);
            box->button(QMessageBox::Yes)->click();
        }
    });
    tick.start();
    Choose("&Save");
    tick.stop();
    EXPECT_EQ(offered, "Do not ask again");
    EXPECT_EQ(Read(file), "new");
    SetDocument("newer");
    EXPECT_FALSE(Save(QMessageBox::No).shown) << "no question now";
    EXPECT_EQ(Read(file), "newer");
    QSettings().remove(AskBeforeSaveKey);
}
