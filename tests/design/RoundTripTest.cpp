// Every real configuration in the shared material: a directive rewritten
// with its own value writes the same bytes, and each single operation
// changes the lines of its directive and no other.
#include "SharedMaterial.h"
#include "design/MenuDesign.h"

#include <QDirIterator>

using namespace Design;

namespace {

std::vector<QString> SharedConfigurations()
{
    std::vector<QString> found;
    QDirIterator it(SharedFolder("boottruth").path(),
        { QStringLiteral("isolinux.cfg"), QStringLiteral("syslinux.cfg") }, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        found.push_back(it.next());
    std::sort(found.begin(), found.end());
    return found;
}

QByteArrayList LinesOf(const QByteArray& bytes) { return bytes.split('\n'); }

// The old lines (from 1) an edit replaced, and how many new ones it wrote.
struct Changed {
    int first = 0;
    int last = -1;
    int written = 0;
};
Changed Difference(const QByteArray& before, const QByteArray& after)
{
    const QByteArrayList a = LinesOf(before);
    const QByteArrayList b = LinesOf(after);
    qsizetype prefix = 0;
    while (prefix < a.size() && prefix < b.size() && a[prefix] == b[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < a.size() - prefix && suffix < b.size() - prefix
        && a[a.size() - 1 - suffix] == b[b.size() - 1 - suffix])
        ++suffix;
    return { static_cast<int>(prefix + 1), static_cast<int>(a.size() - suffix),
        static_cast<int>(b.size() - suffix - prefix) };
}

struct Tried {
    const char* name;
    Change change;
    int first; // the directive's lines in the entry's file; written: new lines at most
    int last;
    int written;
};

// The lines an operation may change; checks the rest holds still.
void ExpectOnly(const MenuDesign& design, const Tried& tried)
{
    SCOPED_TRACE(tried.name);
    if (tried.change.Refused()) {
        EXPECT_TRUE(tried.change.edits.empty());
        return;
    }
    for (const FileEdit& edit : tried.change.edits) {
        const QByteArray before = design.Bytes(edit.file);
        const Changed changed = Difference(before, ApplyEdits(before, tried.change.edits, edit.file));
        if (changed.last >= changed.first) {
            EXPECT_GE(changed.first, tried.first) << edit.file.toStdString();
            EXPECT_LE(changed.last, tried.last) << edit.file.toStdString();
        }
        EXPECT_LE(changed.written, tried.written) << edit.file.toStdString();
    }
}

void TryEntry(const MenuDesign& design, const EntryRef& ref, int& tried)
{
    const MenuEntry& entry = *design.EntryAt(ref);
    const FileLines lines(design.Bytes(entry.place.file));
    if (entry.place.line < 1 || entry.place.line > lines.Count() || !lines.BlockEnd(entry.place.line))
        return;
    const int first = entry.place.line;
    const int last = *lines.BlockEnd(first);
    const int size = last - first + 1;
    // Its own value again: not a byte changes.
    if (lines.Kind(first) == LineKind::Label) {
        const Change same
            = design.Set(ref, Property::Label, lines.Text(first).mid(ArgumentStart(lines.Text(first), 1)));
        for (const FileEdit& edit : same.edits)
            EXPECT_EQ(ApplyEdits(design.Bytes(edit.file), same.edits, edit.file), design.Bytes(edit.file));
    }
    const std::vector<Tried> operations = {
        { "label", design.Set(ref, Property::Label, "renamed"), first, first, 1 },
        { "menu label", design.Set(ref, Property::MenuLabel, "^Renamed"), first, last + 1, 1 },
        { "append", design.Set(ref, Property::Append, "quiet"), first, last + 1, 1 },
        { "help", design.Set(ref, Property::HelpText, "one\ntwo"), first, last + 1, 4 },
        { "hide", design.SetHidden(ref, ref.menu != MenuConfig::HiddenMenu), first, last + 1, 1 },
        { "disable", design.SetDisabled(ref, entry.action != MenuAction::Disabled), first, last + 1, 1 },
        { "remove", design.Remove(ref), first - 1, last, 0 },
        { "duplicate", design.Duplicate(ref), last + 1, last, size },
        { "add", design.Add(ref, Template::Linux), last + 1, last, 4 },
    };
    for (const Tried& operation : operations) {
        ExpectOnly(design, operation);
        tried += operation.change.Refused() ? 0 : 1;
    }
}

}

TEST(RoundTripTest, EveryOperationOnEverySharedConfigurationChangesOnlyItsLines)
{
    const std::vector<QString> configurations = SharedConfigurations();
    REQUIRE_SHARED(!configurations.empty(), SharedFolder("boottruth").path().toStdString());
    int menus = 0;
    int made = 0;
    for (const QString& configuration : configurations) {
        SCOPED_TRACE(configuration.toStdString());
        const MenuDesign design(BootFiles::ForConfiguration(configuration));
        if (!design.HasMenu())
            continue;
        ++menus;
        const MenuConfig& config = design.Menus();
        for (int menu = 0; menu < static_cast<int>(config.menus.size()); ++menu) {
            for (int entry = 0; entry < static_cast<int>(config.At(menu).entries.size()); ++entry)
                TryEntry(design, { menu, entry }, made);
            // A setting: one line rewritten or one written.
            for (const Setting setting : { Setting { Setting::Kind::Title, 0 }, Setting { Setting::Kind::Colour, 5 },
                     Setting { Setting::Kind::Timeout, 0 }, Setting { Setting::Kind::Param, 0 } }) {
                const Change change = design.SetSetting(menu, setting, "7");
                ExpectOnly(design, { "setting", change, 1, 1 << 30, 1 });
                for (const FileEdit& edit : change.edits) {
                    const Changed changed = Difference(
                        design.Bytes(edit.file), ApplyEdits(design.Bytes(edit.file), change.edits, edit.file));
                    EXPECT_LE(changed.last - changed.first, 0);
                }
                made += change.Refused() ? 0 : 1;
            }
        }
    }
    EXPECT_GT(menus, 20);
    EXPECT_GT(made, 500);
}
