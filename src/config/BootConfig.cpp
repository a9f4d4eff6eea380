#include "BootConfig.h"

#include "ConfigReading.h"
#include "ConfigSyntax.h"
#include "KernelLine.h"

#include <algorithm>
#include <array>

namespace {

using namespace ConfigSyntax;

constexpr std::array<const char*, 11> KernelWords
    = { "none", "localboot", "kernel", "linux", "boot", "bss", "pxe", "fdimage", "comboot", "com32", "config" };

// A keyword's name as static bytes: keeping a directive costs no copy of it.
QByteArray Named(const char* word) { return QByteArray::fromRawData(word, static_cast<qsizetype>(std::strlen(word))); }

const QByteArray& MenuName(std::size_t index)
{
    static const std::array<QByteArray, MenuKeywords.size()> names = [] {
        std::array<QByteArray, MenuKeywords.size()> made;
        for (std::size_t word = 0; word < MenuKeywords.size(); ++word)
            made[word] = QByteArray("menu ") + MenuKeywords[word];
        return made;
    }();
    return names[index];
}

const QByteArray& KeyName(int written)
{
    static const std::array<QByteArray, 13> names = [] {
        std::array<QByteArray, 13> made;
        for (int key = 0; key <= 12; ++key)
            made[static_cast<std::size_t>(key)] = 'f' + QByteArray::number(key);
        return made;
    }();
    return names[static_cast<std::size_t>(written)];
}

// core/keywords.inc: what the assembly core's ISOLINUX reads (pxeretry
// since 4.00); 6.x has more (PATH, SYSAPPEND, IPAPPEND ...).
bool CoreKeyword(const QByteArray& word, int major, bool pxe)
{
    // "%if IS_PXELINUX" in core/keywords.inc.
    if (word == "ipappend")
        return pxe;
    static const std::array<const char*, 47> words = { "menu", "text", "include", "append", "initrd", "default", "ui",
        "display", "font", "implicit", "kbdmap", "kernel", "linux", "boot", "bss", "pxe", "fdimage", "comboot", "com32",
        "config", "label", "prompt", "say", "serial", "console", "timeout", "totaltimeout", "ontimeout", "onerror",
        "allowoptions", "noescape", "nocomplete", "nohalt", "f1", "f2", "f3", "f4", "f5", "f6", "f7", "f8", "f9", "f10",
        "f0", "f11", "f12", "localboot" };
    if (word == "pxeretry")
        return major >= 4;
    return std::any_of(words.begin(), words.end(), [&](const char* known) { return word == known; });
}

// core/getc.inc getline: blanks skipped, control bytes as blanks, a run of
// them as one, a blank at the end; then the core's CR LF.
QByteArray CoreLine(const char* text)
{
    QByteArray line;
    for (const char* p = SkipBlanks(text); *p; ++p) {
        if (static_cast<unsigned char>(*p) > ' ')
            line += *p;
        else if (!line.endsWith(' '))
            line += ' ';
    }
    if (!line.isEmpty() && !line.endsWith(' '))
        line += ' ';
    return line + '\n';
}

struct LabelData {
    std::optional<ConfigLabel> label;
    bool findable = true;
};

class Reader {
public:
    // core: the major version of an assembly core's build, else 0.
    Reader(const BootFiles& files, BootConfig& config, int core, bool pxe)
        : m_reading(files, Limits::LoaderNesting, "ldlinux.c32")
        , m_config(config)
        , m_core(core)
        , m_pxe(pxe)
    {
    }
    void Parse(const QByteArray& imagePath, const ConfigPlace& from);
    void Finish()
    {
        Record();
        m_config.stop = m_reading.Stop();
    }

private:
    bool Line(char* raw, const ConfigPlace& place, bool& inText, bool continues);
    bool CoreTakes(const char* p, const ConfigPlace& place);
    void Act(const KeywordMatch& match, const char* p, const ConfigPlace& place);
    void Setting(Keyword keyword, const char* rest);
    void Menu(const char* p, const ConfigPlace& place);
    void Include(const char* rest, const ConfigPlace& place);
    void Record();
    void Directive(const QByteArray& keyword, const char* rest, const ConfigPlace& place)
    {
        m_config.directives.push_back({ keyword, QByteArray(SkipBlanks(rest)), place });
    }

    ConfigReading m_reading;
    BootConfig& m_config;
    LabelData m_label;
    int m_core;
    bool m_pxe;
};

void Reader::Record()
{
    if (m_label.label && m_label.findable) {
        if (!m_config.labelIndex.contains(m_label.label->name))
            m_config.labelIndex.insert(m_label.label->name, static_cast<int>(m_config.labels.size()));
        m_config.labels.push_back(*m_label.label);
    }
    m_label = {};
}

void Reader::Parse(const QByteArray& imagePath, const ConfigPlace& from)
{
    if (!m_reading.Open(from))
        return;
    const BootFiles::Fetched& fetched = m_reading.Fetch(imagePath);
    m_config.files.push_back(
        { imagePath, fetched.failure == BootFiles::Fetched::Failure::None, from, fetched.failure, fetched.reason });
    // A TEXT block ends with its file: the loader reads it with the file's own fgets.
    bool inText = false;
    if (m_config.files.back().found && m_reading.Bytes(from, fetched.bytes.size())) {
        const QByteArray bytes = fetched.bytes;
        ForEachLine(bytes, [&](char* line, int number, bool continues) {
            return Line(line, { imagePath, number }, inText, continues);
        });
    }
    m_reading.Close();
}

bool Reader::Line(char* raw, const ConfigPlace& place, bool& inText, bool continues)
{
    if (!m_reading.Line(place))
        return false;
    const char* p = SkipBlanks(raw);
    if (inText) {
        inText = !LookingAt(p, "endtext");
        return true;
    }
    CutLine(raw);
    if (continues && *p && m_config.cutLines.size() < static_cast<std::size_t>(Limits::Findings))
        m_config.cutLines.push_back(place);
    if (m_core && !CoreTakes(p, place))
        return true;
    int key = 0;
    int written = 0;
    const char* ep = FunctionKeyAt(p, key, &written);
    if (m_core && ep && written == 0)
        key = 9; // core/keywords.inc: f0 is FKeyN(10)
    const std::optional<KeywordMatch> match = ep ? std::nullopt : KeywordAt(p);
    if (!ep && !match)
        return true; // unknown lines mean nothing
    if (!m_reading.Keep(place, static_cast<qint64>(m_config.directives.size()), Limits::ConfigItems, "directives"))
        return false;
    if (match) {
        Act(*match, p, place);
        inText = match->keyword == Keyword::Text;
        return !m_reading.Stopped();
    }
    m_config.functionKeys[static_cast<std::size_t>(key)] = ReadFunctionKey(ep, m_config.folder, place);
    Directive(KeyName(written), ep, place);
    return true;
}

// core/parsecmd.inc getcommand: the keyword is the whole first word, and a
// line whose keyword has no parameter, or is none of the core's, is said
// and skipped; a # starts a comment.
bool Reader::CoreTakes(const char* p, const ConfigPlace& place)
{
    if (!*p || *p == '#')
        return false;
    const char* end = p;
    while (static_cast<unsigned char>(*end) > ' ')
        ++end;
    const QByteArray word(p, end - p);
    const char* message = nullptr;
    if (!*SkipBlanks(end))
        message = "Missing parameter in configuration file. Keyword: ";
    else if (!CoreKeyword(word.toLower(), m_core, m_pxe))
        message = "Unknown keyword in configuration file: ";
    if (message)
        m_config.output.push_back({ ConfigOutput::Kind::Say, message + word + '\n', place });
    return !message;
}

void Reader::Include(const char* rest, const ConfigPlace& place)
{
    const QByteArray name = Word(SkipBlanks(rest));
    if (const std::optional<QByteArray> path = BootFiles::Resolve(m_config.folder, name)) {
        Parse(*path, place);
    } else if (m_reading.Open(place)) {
        m_config.files.push_back({ name, false, place, BootFiles::Fetched::Failure::Outside, {} });
        m_reading.Close();
    }
}

void Reader::Act(const KeywordMatch& match, const char* p, const ConfigPlace& place)
{
    const auto index = static_cast<std::size_t>(match.keyword);
    const char* rest = match.rest;
    if (match.keyword == Keyword::Menu)
        return Menu(SkipBlanks(rest), place);
    Directive(Named(Keywords[index]), rest, place);
    const QByteArray argument(SkipBlanks(rest));
    const auto kind = static_cast<int>(index) - static_cast<int>(Keyword::FirstKind);
    if (kind >= 0 && kind < static_cast<int>(KernelWords.size())) {
        if (m_label.label) {
            m_label.label->kernel = argument;
            m_label.label->kind = static_cast<KernelKind>(kind);
        }
        return;
    }
    switch (match.keyword) {
    case Keyword::Include: return Include(rest, place);
    case Keyword::Append: (m_label.label ? m_label.label->append.emplace() : m_config.globalAppend) = argument; break;
    case Keyword::Initrd:
        if (m_label.label)
            m_label.label->initrd = argument;
        break;
    case Keyword::Label: {
        Record();
        const QByteArray name = Word(argument.constData());
        m_label.label = ConfigLabel { name, name, KernelKind::Kernel, std::nullopt, {}, place };
        // A label starts with the global IPAPPEND read so far.
        m_label.label->ipAppend = m_config.sysAppend;
        break;
    }
    case Keyword::IpAppend:
    case Keyword::SysAppend: {
        const quint32 bits = SysAppendNumber(argument);
        (m_label.label ? m_label.label->ipAppend : m_config.sysAppend) = bits;
        break;
    }
    case Keyword::Default:
        m_config.defaultWord = argument;
        m_config.defaultPlace = place;
        if (!m_config.ui)
            m_config.defaultCommand = m_config.defaultWord;
        break;
    case Keyword::Ui:
        m_config.ui = argument;
        m_config.uiPlace = place;
        m_config.defaultCommand = m_config.ui;
        break;
    case Keyword::Display:
        m_config.output.push_back({ ConfigOutput::Kind::DisplayFile,
            BootFiles::Resolve(m_config.folder, FileNamedBy(m_config.directives.back())).value_or(QByteArray()),
            place });
        break;
    case Keyword::Say:
        // The loader prints from four bytes in: after "SAY" alone that is
        // past the terminator, where the buffer still holds its LF.
        m_config.output.push_back(
            { ConfigOutput::Kind::Say, m_core ? CoreLine(rest) : QByteArray(p + 4) + '\n', place });
        break;
    default: Setting(match.keyword, rest); break;
    }
}

// The numbers and switches the prompt and its clock go by; any other
// keyword is kept as a directive only.
void Reader::Setting(Keyword keyword, const char* rest)
{
    switch (keyword) {
    case Keyword::Timeout: m_config.timeoutMs = static_cast<quint32>(TimeoutMs(rest)); break;
    case Keyword::TotalTimeout: m_config.totalTimeoutMs = TotalTimeoutMs(rest); break;
    case Keyword::OnTimeout: m_config.onTimeout = QByteArray(SkipBlanks(rest)); break;
    case Keyword::AllowOptions: m_config.allowOptions = Number(rest) != 0; break;
    case Keyword::Implicit: m_config.allowImplicit = Number(rest) != 0; break;
    case Keyword::Prompt: m_config.prompt = Number(rest); break;
    case Keyword::NoEscape: m_config.noEscape = Number(rest) != 0; break;
    case Keyword::NoComplete: m_config.noComplete = Number(rest) != 0; break;
    case Keyword::Serial: m_config.serial = true; break;
    default: break;
    }
}

// MENU lines are kept for the menus; MENU LABEL, HIDE, DISABLE and
// SEPARATOR also decide which labels the prompt knows, and MENU INCLUDE
// is read in place, as INCLUDE is (a title after the name makes a submenu).
void Reader::Menu(const char* p, const ConfigPlace& place)
{
    const char* rest = nullptr;
    const std::optional<std::size_t> word = MenuKeywordAt(p, rest);
    if (!word) {
        m_config.directives.push_back({ Named("menu"), QByteArray(p), place });
        return;
    }
    const QByteArray& keyword = MenuName(*word);
    Directive(keyword, rest, place);
    if (keyword == "menu include") {
        // A title makes a submenu: the label read so far is recorded first and its lines end with the file.
        const char* name = SkipBlanks(rest);
        const bool titled = *SkipBlanks(name + Word(name).size()) != '\0';
        if (titled)
            Record();
        Include(rest, place);
        if (titled)
            Record();
    } else if (keyword == "menu separator" || keyword == "menu begin" || keyword == "menu end") {
        Record();
    } else if ((keyword == "menu disable" || keyword == "menu disabled") && m_label.label) {
        m_label.findable = false;
    }
}

}

QByteArray FileNamedBy(const ConfigDirective& directive)
{
    if (directive.keyword == "display" || directive.keyword == "font")
        return Word(directive.argument.constData());
    return directive.keyword == "kbdmap" ? directive.argument : QByteArray();
}

FunctionKey ReadFunctionKey(const char* rest, const QByteArray& folder, const ConfigPlace& place)
{
    const char* name = SkipBlanks(rest);
    FunctionKey key { Word(name), {}, {}, place };
    key.imagePath = BootFiles::Resolve(folder, key.file).value_or(QByteArray());
    key.background = Word(SkipBlanks(name + key.file.size()));
    return key;
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
    const auto found = labelIndex.constFind(CommandWord(command));
    return found == labelIndex.constEnd() ? nullptr : &labels[static_cast<std::size_t>(*found)];
}

BootConfig ReadBootConfig(
    const BootFiles& files, const QByteArray& configPath, const QByteArray& folder, const LoaderVersion& version)
{
    BootConfig config;
    config.folder = folder;
    const qsizetype slash = configPath.lastIndexOf('/');
    const bool pxe = slash >= 0 && configPath.left(slash).endsWith("pxelinux.cfg");
    Reader reader(files, config, version.AssemblyCore() ? version.major : 0, pxe);
    reader.Parse(configPath, { configPath, 0 });
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
    const QByteArray head = bytes.first(std::min<qsizetype>(bytes.size(), 64 * 1024)).toByteArray();
    for (char code : head) {
        if (code == 0x0C || code == 0x0F || code == 0x18 || code == 0x00)
            return false;
    }
    // Of the first lines that say something, the first is a directive and
    // so are three in four: prose that starts with "Boot" is not.
    constexpr int Looked = 16;
    int lines = 0;
    int directives = 0;
    bool inText = false;
    bool first = false;
    ForEachLine(head, [&](char* raw, int, bool continues) {
        if (continues)
            return true; // the rest of a long line says nothing of what the file is
        const char* p = SkipBlanks(CutLine(raw));
        if (inText) {
            inText = !LookingAt(p, "endtext");
            return true;
        }
        if (!*p || *p == '#')
            return true;
        int key = 0;
        const std::optional<KeywordMatch> match = KeywordAt(p);
        const bool directive = match || FunctionKeyAt(p, key);
        inText = match && match->keyword == Keyword::Text;
        first = lines == 0 ? directive : first;
        directives += directive ? 1 : 0;
        return ++lines < Looked;
    });
    return first && directives * 4 >= lines * 3;
}
