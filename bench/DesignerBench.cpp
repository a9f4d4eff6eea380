// The Menu Designer on the largest real tree of the shared material (the
// set that reads the most configuration files): opening it (the menu read
// and the dock filled), and one change from the command to the repainted
// Run Configuration (the lines found and checked, the document edited as
// one undo step, the set read again, the loader played and painted).
#include "config/ConfigSet.h"
#include "design/MenuDesign.h"
#include "editor/configuration/RunConfiguration.h"
#include "editor/designer/MenuDesigner.h"
#include "editor/widgets/ScreenView.h"
#include "editor/window/Glavna.h"

#include <QAction>
#include <QApplication>
#include <QDirIterator>
#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// The configuration whose set reads the most files (then the longest),
// with its count.
std::pair<QString, qsizetype> LargestTree()
{
    std::pair<QString, qsizetype> largest;
    qint64 longest = 0;
    QDirIterator it(QStringLiteral(GLIMRA_SHARED_DIR "/boottruth"), { QStringLiteral("isolinux.cfg") }, QDir::Files,
        QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const Design::MenuDesign design(BootFiles::ForConfiguration(file));
        const qsizetype count = static_cast<qsizetype>(ReadConfigSet(design.Files()).ConfigurationFiles().size());
        const qint64 bytes = QFileInfo(file).size();
        if (design.HasMenu() && (count > largest.second || (count == largest.second && bytes > longest))) {
            largest = { file, count };
            longest = bytes;
        }
    }
    return largest;
}

// A copy of the tree above the configuration's folder, with Debian's menu modules where it has none.
QString CopyTree(const QString& config, const QTemporaryDir& into)
{
    const QDir root = QFileInfo(QFileInfo(config).absolutePath()).absoluteDir();
    QDirIterator it(root.path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = into.filePath(root.relativeFilePath(file));
        QDir().mkpath(QFileInfo(target).path());
        QFile::copy(file, target);
    }
    const QString folder = into.filePath(root.relativeFilePath(QFileInfo(config).absolutePath()));
    for (const char* module : { "menu.c32", "vesamenu.c32", "libcom32.c32", "libutil.c32", "ldlinux.c32" })
        QFile::copy(QStringLiteral("/usr/lib/syslinux/modules/bios/") + QLatin1String(module),
            folder + u'/' + QLatin1String(module));
    return into.filePath(root.relativeFilePath(config));
}

// A tree laid out as Debian's installer CD lays out its isolinux/: the
// menu spread over INCLUDEd files, a submenu, help screens and a splash.
QString DebianLikeTree(const QTemporaryDir& into)
{
    const auto write = [&](const QString& name, const QByteArray& bytes) {
        QDir().mkpath(into.filePath(QStringLiteral("isolinux")));
        QFile file(into.filePath(QStringLiteral("isolinux/") + name));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
    };
    write("isolinux.cfg", "path\ninclude menu.cfg\ndefault vesamenu.c32\nprompt 0\ntimeout 0\n");
    write("menu.cfg",
        "menu hshift 4\nmenu width 70\nmenu title Installer menu (BIOS mode)\ninclude stdmenu.cfg\ninclude gtk.cfg\n"
        "include txt.cfg\nmenu begin advanced\n\tmenu label ^Advanced options\n\tmenu title Advanced options\n"
        "\tinclude stdmenu.cfg\n\tlabel mainmenu\n\t\tmenu label ^Back..\n\t\tmenu exit\n\tinclude adgtk.cfg\n"
        "\tinclude adtxt.cfg\n\tinclude adspkgtk.cfg\n\tinclude adspk.cfg\nmenu end\ninclude x86menu.cfg\n"
        "label help\n\tmenu label ^Help\n\ttext help\n   Display help screens\n\tendtext\n\tconfig prompt.cfg\n"
        "include spkgtk.cfg\ninclude spk.cfg\n");
    write("stdmenu.cfg",
        "menu background splash.png\nmenu color title\t* #FFFFFFFF *\nmenu color border\t* #00000000 #00000000 none\n"
        "menu color sel\t* #ffffffff #76a1d0ff *\nmenu color hotsel\t1;7;37;40 #ffffffff #76a1d0ff *\n"
        "menu color tabmsg\t* #ffffffff #00000000 *\nmenu color help\t37;40 #ffdddd00 #00000000 none\n"
        "menu vshift 12\nmenu rows 10\nmenu helpmsgrow 15\nmenu cmdlinerow 16\nmenu timeoutrow 16\nmenu tabmsgrow 18\n"
        "menu tabmsg Press ENTER to boot or TAB to edit a menu entry\n");
    const QByteArray kernel
        = "\tkernel /install.amd/vmlinuz\n\tappend vga=788 initrd=/install.amd/initrd.gz --- quiet\n";
    write("gtk.cfg", "label installgui\n\tmenu label ^Graphical install\n\tmenu default\n" + kernel);
    write("txt.cfg", "label install\n\tmenu label ^Install\n" + kernel);
    write("adgtk.cfg",
        "label expertgui\n\tmenu label Graphical expert install\n" + kernel
            + "label rescuegui\n\tmenu label Graphical rescue mode\n" + kernel);
    write("adtxt.cfg",
        "label expert\n\tmenu label E^xpert install\n" + kernel + "label rescue\n\tmenu label ^Rescue mode\n" + kernel);
    write("adspkgtk.cfg", "label speechgui\n\tmenu label Graphical speech install\n" + kernel);
    write("adspk.cfg", "label speech\n\tmenu label Speech install\n" + kernel);
    write("spkgtk.cfg", "label installspeech\n\tmenu label ^Speech-enabled install\n\tmenu hide\n" + kernel);
    write("spk.cfg", "");
    write("x86menu.cfg", "label hd\n\tmenu label Boot from first hard disk\n\tlocalboot 0x80\n");
    write("prompt.cfg",
        "prompt 1\ndisplay f1.txt\ntimeout 0\ninclude menu.cfg\ninclude exithelp.cfg\n"
        "f1 f1.txt\nf2 f2.txt\nf3 f3.txt\nf4 f4.txt\nf5 f5.txt\nf6 f6.txt\nf7 f7.txt\nf8 f8.txt\n"
        "f9 f9.txt\nf10 f10.txt\n");
    write("exithelp.cfg", "label menu\n\tkernel vesamenu.c32\n\tconfig isolinux.cfg\n");
    for (int key = 1; key <= 10; ++key)
        write(QStringLiteral("f%1.txt").arg(key),
            "\x0c\x0f"
            "0fHelp screen "
                + QByteArray::number(key)
                + "\x0f"
                  "07\r\n");
    QImage splash(640, 480, QImage::Format_Indexed8);
    splash.setColorTable({ qRgb(0x20, 0x30, 0x60), qRgb(0xd0, 0xd0, 0xe0) });
    for (int y = 0; y < 480; ++y)
        std::fill_n(splash.scanLine(y), 640, static_cast<uchar>((y / 40) % 2));
    splash.save(into.filePath(QStringLiteral("isolinux/splash.png")));
    for (const char* module : { "vesamenu.c32", "libcom32.c32", "libutil.c32", "ldlinux.c32" })
        QFile::copy(QStringLiteral("/usr/lib/syslinux/modules/bios/") + QLatin1String(module),
            into.filePath(QStringLiteral("isolinux/") + QLatin1String(module)));
    return into.filePath(QStringLiteral("isolinux/isolinux.cfg"));
}

struct Opened {
    TGlavna glavna;
    MenuDesigner* designer = nullptr;
    QString config;
    qsizetype files = 0;
    QTemporaryDir tree;

    // Argument 0: the largest shared tree; 1: the installer-like tree.
    bool Open(benchmark::State& state)
    {
        if (state.range(0) == 1) {
            config = DebianLikeTree(tree);
        } else {
            const auto [found, count] = LargestTree();
            if (found.isEmpty()) {
                state.SkipWithError("needs the shared boot trees");
                return false;
            }
            config = CopyTree(found, tree);
        }
        files = QDir(QFileInfo(config).absolutePath()).entryList(QDir::Files).size();
        glavna.show();
        glavna.OpenAtStart(config, QFile::encodeName(config));
        designer = glavna.findChild<MenuDesigner*>();
        glavna.findChild<QAction*>(QStringLiteral("MenuDesigner1"))->trigger();
        QApplication::processEvents();
        return true;
    }
};

void BM_OpenDesigner(benchmark::State& state)
{
    Opened opened;
    if (!opened.Open(state))
        return;
    for (auto _ : state) {
        opened.designer->SetConfiguration(opened.config);
        QApplication::processEvents();
    }
    state.counters["files"] = static_cast<double>(opened.files);
}

// The first entry's name changed and changed back: two changes an
// iteration, each played and painted.
void BM_DesignerChangeToRepaintedRun(benchmark::State& state)
{
    Opened opened;
    if (!opened.Open(state))
        return;
    opened.glavna.findChild<QAction*>(QStringLiteral("RunConfiguration1"))->trigger();
    auto* window = opened.glavna.findChild<RunConfigurationWindow*>();
    QApplication::processEvents();
    const Design::EntryRef first { MenuConfig::RootMenu, 0 };
    for (auto _ : state) {
        for (const char* name : { "^Renamed", "^Named again" }) {
            if (!opened.designer->Perform([&](const Design::MenuDesign& model) {
                    return model.Set(first, Design::Property::MenuLabel, name);
                })) {
                state.SkipWithError("the tree's first entry cannot be renamed");
                return;
            }
            for (ScreenView* view : window->findChildren<ScreenView*>()) {
                if (view->isVisible())
                    view->repaint();
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * 2);
    state.counters["played"] = window->Picture() ? 1 : 0;
    state.counters["files"] = static_cast<double>(opened.files);
}

}

BENCHMARK(BM_OpenDesigner)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DesignerChangeToRepaintedRun)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
