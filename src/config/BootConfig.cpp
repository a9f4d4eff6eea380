#include "BootConfig.h"

#include "ConfigSyntax.h"

#include <array>

namespace {

using namespace ConfigSyntax;

constexpr std::array<const char*, 11> KernelWords
    = { "none", "localboot", "kernel", "linux", "boot", "bss", "pxe", "fdimage", "comboot", "com32", "config" };

// The menu keywords the text and graphical menus read, kept for them.
constexpr std::array<const char*, 46> MenuWords = { "label", "title", "default", "hide", "passwd", "shiftkey", "save",
    "nosave", "onerror", "master", "include", "background", "hidden", "autoboot", "tabmsg", "notabmsg", "passprompt",
    "color", "colour", "msgcolor", "msgcolour", "separator", "disable", "disabled", "indent", "begin", "end", "quit",
    "goto", "exit", "start", "width", "margin", "passwordmargin", "rows", "tabmsgrow", "cmdlinerow", "endrow",
    "passwordrow", "timeoutrow", "helpmsgrow", "helpmsgendrow", "hshift", "vshift", "hiddenrow", "resolution" };

struct LabelData {
    std::optional<ConfigLabel> label;
    bool findable = true;
};

class Reader {
public:
    Reader(const BootFiles& files, BootConfig& config)
        : m_files(files)
        , m_config(config)
    {
    }
    void Parse(const QByteArray& imagePath, const ConfigPlace& from);
    void Finish() { Record(); }

private:
    void Line(const char* line, const ConfigPlace& place);
    bool Menu(const char* p, const ConfigPlace& place);
    void Record();
    void Directive(const char* keyword, const char* rest, const ConfigPlace& place)
    {
        m_config.directives.push_back({ QByteArray(keyword), QByteArray(SkipBlanks(rest)), place });
    }

    const BootFiles& m_files;
    BootConfig& m_config;
    LabelData m_label;
    // TEXT ... ENDTEXT: the lines in between are the block's, not directives.
    bool m_inText = false;
    int m_depth = 0;
};

void Reader::Record()
{
    if (m_label.label && m_label.findable)
        m_config.labels.push_back(*m_label.label);
    m_label = {};
}

void Reader::Parse(const QByteArray& imagePath, const ConfigPlace& from)
{
    const std::optional<QByteArray> bytes = m_depth < 16 ? m_files.Read(imagePath) : std::nullopt;
    m_config.files.push_back({ imagePath, bytes.has_value(), from });
    if (!bytes)
        return;
    ++m_depth;
    ForEachLine(*bytes, [&](char* line, int number) { Line(CutLine(line), { imagePath, number }); });
    --m_depth;
}

void Reader::Line(const char* line, const ConfigPlace& place)
{
    const char* p = SkipBlanks(line);
    if (m_inText) {
        if (LookingAt(p, "endtext"))
            m_inText = false;
        return;
    }
    const char* ep = nullptr;
    int key = 0;
    if (LookingAt(p, "menu")) {
        Menu(SkipBlanks(p + 4), place);
    } else if (LookingAt(p, "text")) {
        m_inText = true;
        Directive("text", p + 4, place);
    } else if ((ep = FunctionKeyAt(p, key))) {
        const char* name = SkipBlanks(ep);
        FunctionKey fkey { Word(name), {}, {}, place };
        fkey.imagePath = BootFiles::Resolve(m_config.folder, fkey.file).value_or(QByteArray());
        fkey.background = Word(SkipBlanks(name + fkey.file.size()));
        m_config.functionKeys[static_cast<std::size_t>(key)] = fkey;
        const QByteArray keyword = Word(p).toLower();
        Directive(keyword.constData(), ep, place);
    } else if ((ep = LookingAt(p, "include"))) {
        Directive("include", ep, place);
        const QByteArray name = Word(SkipBlanks(ep));
        if (const std::optional<QByteArray> path = BootFiles::Resolve(m_config.folder, name))
            Parse(*path, place);
        else
            m_config.files.push_back({ name, false, place });
    } else if (LookingAt(p, "append")) {
        const QByteArray append(SkipBlanks(p + 6));
        Directive("append", p + 6, place);
        if (m_label.label)
            m_label.label->append = append;
        else
            m_config.globalAppend = append;
    } else if (LookingAt(p, "initrd")) {
        Directive("initrd", p + 6, place);
        if (m_label.label)
            m_label.label->initrd = QByteArray(SkipBlanks(p + 6));
    } else if (LookingAt(p, "label")) {
        Directive("label", p + 5, place);
        Record();
        const QByteArray name = Word(SkipBlanks(p + 5));
        m_label.label = ConfigLabel { name, name, KernelKind::Kernel, std::nullopt, {}, place };
    } else {
        for (std::size_t kind = 0; kind < KernelWords.size(); ++kind) {
            if ((ep = LookingAt(p, KernelWords[kind]))) {
                Directive(KernelWords[kind], ep, place);
                if (m_label.label) {
                    m_label.label->kernel = QByteArray(SkipBlanks(ep));
                    m_label.label->kind = static_cast<KernelKind>(kind);
                }
                return;
            }
        }
        if (LookingAt(p, "timeout")) {
            m_config.timeoutTenths = Number(p + 7);
        } else if (LookingAt(p, "totaltimeout")) {
            m_config.totalTimeoutTenths = std::atoll(SkipBlanks(p + 13));
        } else if (LookingAt(p, "ontimeout")) {
            m_config.onTimeout = QByteArray(SkipBlanks(p + 9));
        } else if (LookingAt(p, "allowoptions")) {
            m_config.allowOptions = Number(p + 12) != 0;
        } else if (LookingAt(p, "default")) {
            m_config.defaultWord = QByteArray(SkipBlanks(p + 7));
            m_config.defaultPlace = place;
            if (!m_config.ui)
                m_config.defaultCommand = m_config.defaultWord;
        } else if (LookingAt(p, "ui")) {
            m_config.ui = QByteArray(SkipBlanks(p + 2));
            m_config.uiPlace = place;
            m_config.defaultCommand = m_config.ui;
        } else if (LookingAt(p, "display")) {
            const QByteArray name = Word(SkipBlanks(p + 7));
            m_config.output.push_back({ ConfigOutput::Kind::DisplayFile,
                BootFiles::Resolve(m_config.folder, name).value_or(QByteArray()), place });
        } else if (LookingAt(p, "implicit")) {
            m_config.allowImplicit = Number(p + 8) != 0;
        } else if (LookingAt(p, "prompt")) {
            m_config.prompt = Number(p + 6);
        } else if (LookingAt(p, "noescape")) {
            m_config.noEscape = Number(p + 8) != 0;
        } else if (LookingAt(p, "nocomplete")) {
            m_config.noComplete = Number(p + 10) != 0;
        } else if (LookingAt(p, "serial")) {
            m_config.serial = true;
        } else if (LookingAt(p, "say")) {
            // The loader prints from four bytes in: after "SAY" alone that is
            // past the terminator, where the buffer still holds its LF.
            const char* text = p + 4;
            m_config.output.push_back({ ConfigOutput::Kind::Say, QByteArray(text) + '\n', place });
        } else {
            static constexpr std::array<const char*, 9> Others
                = { "font", "kbdmap", "console", "nohalt", "onerror", "pxeretry", "path", "sendcookies", "ipappend" };
            for (const char* other : Others) {
                if ((ep = LookingAt(p, other)))
                    return Directive(other, ep, place);
            }
            return; // unknown lines mean nothing
        }
        Directive(Word(p).toLower().constData(), p + Word(p).size(), place);
    }
}

// MENU lines are kept for the menus; MENU LABEL, HIDE, DISABLE and
// SEPARATOR also decide which labels the prompt knows.
bool Reader::Menu(const char* p, const ConfigPlace& place)
{
    for (const char* word : MenuWords) {
        if (const char* rest = LookingAt(p, word)) {
            const QByteArray keyword = QByteArray("menu ") + word;
            m_config.directives.push_back({ keyword, QByteArray(SkipBlanks(rest)), place });
            if (keyword == "menu include") {
                // Read in place, as INCLUDE is; a title after the name makes it a submenu.
                if (const std::optional<QByteArray> path = BootFiles::Resolve(m_config.folder, Word(SkipBlanks(rest))))
                    Parse(*path, place);
            } else if (keyword == "menu separator" || keyword == "menu begin" || keyword == "menu end") {
                Record();
            } else if ((keyword == "menu disable" || keyword == "menu disabled") && m_label.label) {
                m_label.findable = false;
            }
            return true;
        }
    }
    m_config.directives.push_back({ "menu", QByteArray(p), place });
    return false;
}

}

QByteArray ConfigLabel::CommandLine(const QByteArray& globalAppend) const
{
    QByteArray options = append.value_or(globalAppend);
    if (options == "-")
        options.clear();
    const QByteArray initrdOption = initrd.isEmpty() ? QByteArray() : " initrd=" + initrd;
    const QByteArray separator = options.isEmpty() ? QByteArray() : QByteArray(" ");
    if (kind == KernelKind::Kernel)
        return kernel + separator + options + initrdOption;
    return '.' + QByteArray(KernelWords[static_cast<std::size_t>(kind)]) + ' ' + kernel + separator + options
        + initrdOption;
}

std::optional<KernelKind> KernelKindNamed(QByteArrayView name)
{
    for (std::size_t kind = 0; kind < KernelWords.size(); ++kind) {
        if (name == KernelWords[kind])
            return static_cast<KernelKind>(kind);
    }
    return std::nullopt;
}

KernelKind KindOfCommandName(const QByteArray& command)
{
    const QByteArray word = CommandWord(command);
    for (const auto& [extension, kind] : KernelExtensions) {
        if (word.endsWith(extension))
            return kind;
    }
    return KernelKind::Kernel;
}

const char* KernelKindWord(KernelKind kind) { return KernelWords[static_cast<std::size_t>(kind)]; }

const ConfigLabel* BootConfig::FindLabel(const QByteArray& command) const
{
    const QByteArray word = CommandWord(command);
    for (const ConfigLabel& label : labels) {
        if (label.name == word)
            return &label;
    }
    return nullptr;
}

BootConfig ReadBootConfig(const BootFiles& files, const QByteArray& configPath, const QByteArray& folder)
{
    BootConfig config;
    config.folder = folder;
    Reader reader(files, config);
    reader.Parse(configPath, {});
    reader.Finish();
    return config;
}

QByteArray CommandWord(const QByteArray& command)
{
    qsizetype end = 0;
    while (end < command.size() && !IsBlank(command[end]))
        ++end;
    return command.left(end);
}

QByteArray CommandArguments(const QByteArray& command)
{
    qsizetype at = CommandWord(command).size();
    while (at < command.size() && IsBlank(command[at]))
        ++at;
    return command.mid(at);
}

bool LooksLikeBootConfig(QByteArrayView bytes)
{
    // A display file's codes never stand in a configuration: "Default boot
    // in 5 seconds" on a screen is text.
    for (char code : bytes.first(std::min<qsizetype>(bytes.size(), 64 * 1024))) {
        if (code == 0x0C || code == 0x0F || code == 0x18 || code == 0x00)
            return false;
    }
    static constexpr std::array<const char*, 14> Only = { "default", "label", "prompt", "timeout", "ui", "display",
        "include", "say", "menu", "serial", "f1", "kernel", "noescape", "totaltimeout" };
    for (const QByteArray& raw : bytes.first(std::min<qsizetype>(bytes.size(), 64 * 1024)).toByteArray().split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QByteArray word = CommandWord(line).toLower();
        for (const char* keyword : Only) {
            if (word == keyword)
                return true;
        }
        return false;
    }
    return false;
}
