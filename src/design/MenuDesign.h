#pragma once

#include "config/BootConfig.h"
#include "config/ConfigSet.h"
#include "config/MenuConfig.h"
#include "design/DesignLines.h"

#include <QHash>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// The menu a configuration runs first, as something to change: each
// operation finds the lines it changes and answers with byte edits of
// those lines alone (indentation, keyword case, comments, line breaks and
// the order of the rest kept), or with a refusal and no edit. Every answer
// is checked by reading the changed files again with the menu module's own
// reader: a change that would alter anything beyond what was asked (a later
// conflicting line, a file two menus read) is refused.
namespace Design {

struct FileEdit {
    QByteArray file; // image path
    qsizetype begin = 0;
    qsizetype end = 0;
    QByteArray text;
};

struct Change {
    std::vector<FileEdit> edits;
    QString refusal;
    bool Refused() const { return !refusal.isEmpty(); }
};

// The bytes with a file's edits made (any order; they do not overlap).
QByteArray ApplyEdits(QByteArray bytes, const std::vector<FileEdit>& edits, const QByteArray& file);

enum class Template { Linux, LocalBoot, Chain, Submenu, Separator, MenuExit };

struct EntryRef {
    int menu = MenuConfig::RootMenu;
    int entry = -1;
    bool operator==(const EntryRef&) const = default;
};

enum class Property { Label, MenuLabel, Kernel, Append, Initrd, HelpText, Password };

// A menu's setting as the Look page writes it.
struct Setting {
    enum class Kind { Title, Colour, Param, Message, Timeout, Resolution, Background } kind = Kind::Title;
    int index = 0; // the colour table's entry, the MenuParam, the MenuMessage
};
// The directive's words as written ("MENU COLOR sel", "TIMEOUT").
QByteArray SettingWords(const Setting& setting);

class MenuDesign {
public:
    explicit MenuDesign(BootFiles files);

    // Whether the configuration runs a menu module at all.
    bool HasMenu() const { return m_run != nullptr; }
    const MenuRun* Run() const { return m_run; }
    const MenuConfig& Menus() const { return m_run ? m_run->menus : m_empty; }
    const BootConfig& Config() const { return m_set.members.front().config; }
    const BootFiles& Files() const { return m_files; }
    // A file's bytes as the menu reads them (unsaved text first).
    QByteArray Bytes(const QByteArray& file) const;
    const MenuEntry* EntryAt(const EntryRef& ref) const;

    // What the entry's line of a property says now, as written (TEXT
    // HELP's lines joined by LF); empty without one.
    QByteArray Written(const EntryRef& ref, Property property) const;

    // after: the entry the new one follows; entry -1 puts it last in the menu.
    Change Add(const EntryRef& after, Template kind) const;
    Change Remove(const EntryRef& ref) const;
    Change Duplicate(const EntryRef& ref) const;
    Change Move(const EntryRef& ref, int by) const;
    Change Set(const EntryRef& ref, Property property, const QByteArray& value) const;
    Change MakeDefault(const EntryRef& ref) const;
    Change SetHidden(const EntryRef& ref, bool hidden) const;
    Change SetDisabled(const EntryRef& ref, bool disabled) const;
    Change SetSetting(int menu, const Setting& setting, const QByteArray& value) const;

    // The edits made to these files and the menus read again.
    void Apply(const Change& change);

private:
    struct Block {
        QByteArray file;
        std::shared_ptr<const FileLines> lines;
        int first = 0;
        int last = 0;
    };
    using Expect = std::function<QString(const MenuConfig& after)>;

    void Read();
    std::shared_ptr<const FileLines> Lines(const QByteArray& file) const;
    std::optional<Block> BlockOf(const EntryRef& ref, QString& why) const;
    Change Checked(std::vector<FileEdit> edits, const Expect& expect) const;
    Change FirstThatHolds(const std::vector<std::vector<FileEdit>>& tries, const Expect& expect) const;
    QByteArray NewLabel(const QByteArray& base) const;
    std::vector<FileEdit> OwnLineEdits(const Block& block, const std::function<bool(const QByteArray&)>& matches,
        const QByteArray& words, const QByteArray& value, bool flag) const;
    std::vector<FileEdit> PropertyEdits(const Block& block, Property property, const QByteArray& value) const;
    std::vector<FileEdit> HelpEdits(const Block& block, const QByteArray& value) const;
    std::vector<FileEdit> InsertAfter(const QByteArray& file, int line, const std::vector<QByteArray>& texts) const;
    std::optional<std::pair<QByteArray, int>> SettingHome(int menu) const;
    std::vector<std::vector<FileEdit>> SettingTries(int menu, const Setting& setting, const QByteArray& value) const;
    QString BackgroundRefusal(const QByteArray& value) const;

    BootFiles m_files;
    ConfigSet m_set;
    const MenuRun* m_run = nullptr;
    MenuConfig m_empty;
    mutable QHash<QByteArray, std::shared_ptr<const FileLines>> m_lines;
};

}
