#include "cli/inspect.h"

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "core/text.h"
#include "modules/module_editors.h"

namespace velmora::cli {

namespace {

// A register the suggested file keeps out of the walk: no window has a
// child there.
constexpr int kNoPosition = 9999;

// The inspection's editors show no dialog.
class NoDialog final : public EditorDialog {
public:
    int runModal() override { return 2; }
};

std::string str(int value) {
    return std::to_string(value);
}

std::string regName(int index) {
    return "Reg" + str(index + 1);
}

std::string lowered(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string uppered(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// "a STATIC label ("Reg1")", "a push button ("Apply")", "an edit field".
std::string whatIs(const InspectedPosition& at) {
    const std::string className = at.child.facts ? uppered(at.child.facts->className) : "";
    std::string what;
    switch (at.kind) {
    case ChildKind::Edit:
        what = "an edit field";
        break;
    case ChildKind::PushButton:
        what = "a push button";
        break;
    case ChildKind::OtherButton:
        what = "a button that is not a push button";
        break;
    case ChildKind::Label:
        what = "a " + className + " label";
        break;
    case ChildKind::Other:
        what = "a " + className + " window";
        break;
    case ChildKind::Unknown:
        what = "a child of unknown class";
        break;
    }
    if (at.child.text && !at.child.text->empty()) what += " (" + quotedText(*at.child.text) + ")";
    return what;
}

bool isButtonNamed(const InspectedPosition& at, const std::string& name) {
    return at.kind == ChildKind::PushButton && at.child.text &&
           lowered(withoutMnemonics(*at.child.text)) == lowered(name);
}

std::vector<int> buttonsNamed(const std::vector<InspectedPosition>& positions, const std::string& name) {
    std::vector<int> found;
    for (const InspectedPosition& at : positions)
        if (isButtonNamed(at, name)) found.push_back(at.position);
    return found;
}

// "1st", "2nd", "3rd", "11th", "22nd".
std::string nth(int n) {
    const char* suffix = "th";
    if (n % 100 < 11 || n % 100 > 13) {
        if (n % 10 == 1) suffix = "st";
        if (n % 10 == 2) suffix = "nd";
        if (n % 10 == 3) suffix = "rd";
    }
    return std::to_string(n) + suffix;
}

std::string positionList(const std::vector<int>& positions) {
    std::string out;
    for (std::size_t i = 0; i < positions.size(); ++i) out += (i ? ", " : "") + str(positions[i]);
    return out;
}

// Where a value in effect came from, for a sentence.
std::string said(int line, int value) {
    return line ? "the file says " + str(value) + " (line " + str(line) + ")"
                : "the default is " + str(value);
}

// One exchange run on the replay.
struct Run {
    bool ok = false;
    ExchangeFailure failure = ExchangeFailure::None;
    int failureAt = -1;
    ReplayedHostWindow::Trace trace;
};

class Diagnosis {
public:
    Diagnosis(Inspection& result) : r_(result), layout_(result.layout()) {}

    void run() {
        ReplayedHostWindow replay(r_.seen, r_.title);
        HostContext context;
        context.windows = &replay;
        const std::string title = r_.title;
        context.currentTitle = [title] { return title; };
        // The module's own editor, so that what it writes is what the tool writes.
        auto editor =
            makeEditor(r_.kind, context, [](const DialogRequest&) { return std::make_unique<NoDialog>(); });
        editor->setLayout(layout_);
        auto exchange = [&](ExchangeMode mode) {
            replay.clearTrace();
            Run run;
            run.ok = editor->exchange(mode);
            run.failure = editor->lastFailure();
            run.failureAt = editor->lastFailurePosition();
            run.trace = replay.trace();
            return run;
        };
        const Run read = exchange(ExchangeMode::Read);
        const auto words = editor->registers();
        const Run write = exchange(ExchangeMode::WriteAndOk);
        const Run cancel = exchange(ExchangeMode::Cancel);

        listPositions(read, words);
        const int n = children();
        if (r_.seen.stopped)
            add("position " + str(n - 1) +
                    " did not answer a get-text message within 1000 ms: the host is busy or hangs, "
                    "and the walk went no further",
                kSpoilsRead | kSpoilsWrite | kSpoilsCancel);
        if (r_.seen.truncated)
            add("the window has more than " + str(kMaxInspectedChildren) + " children; only the first " +
                    str(kMaxInspectedChildren) + " were walked",
                0);
        if (n == 0) add("the host window has no child windows", kSpoilsRead | kSpoilsWrite | kSpoilsCancel);

        r_.readSucceeds = checkRegisters(read, kSpoilsRead, false) && read.ok;
        if (!read.ok) {
            const int m = layout_.maxWindows;
            if (n > 0 && n <= m && !r_.seen.stopped)
                add("MAX_WINDOWS is " + str(m) + " but the window has " + str(n) +
                        " children: a read needs a child at position " + str(m) +
                        (allRegistersReached(read)
                             ? "; it reads every register before that and fails only at the end, "
                               "which the tool ignores"
                             : ""),
                    kSpoilsRead);
            explainIfAlone(read, kSpoilsRead);
        }
        const bool written = checkRegisters(write, kSpoilsWrite, true);
        r_.writeSucceeds =
            checkButton(write, "OK", layout_.okPosition, r_.description.check.okLine, kSpoilsWrite) &&
            written;
        r_.cancelSucceeds = checkButton(cancel, "Cancel", layout_.cancelPosition,
                                        r_.description.check.cancelLine, kSpoilsCancel);
    }

private:
    int children() const { return static_cast<int>(r_.positions.size()); }
    int writtenCount() const { return moduleInfo(r_.kind).writtenCount; }

    void add(std::string text, unsigned spoils) {
        for (InspectionProblem& p : r_.problems)
            if (p.text == text) {
                p.spoils |= spoils;
                return;
            }
        r_.problems.push_back({std::move(text), spoils});
    }

    bool spoiled(unsigned spoils) const {
        return std::any_of(r_.problems.begin(), r_.problems.end(),
                           [&](const InspectionProblem& p) { return p.spoils & spoils; });
    }

    // The exchange's own failure, when nothing said so far explains it.
    void explainIfAlone(const Run& run, unsigned spoils) {
        if (spoiled(spoils)) return;
        std::string text = describe(run.failure);
        if (run.ok) text = "the walk ends without reaching the button";
        if (run.failureAt >= 0) text += " at position " + str(run.failureAt);
        add("the exchange fails: " + text, spoils);
    }

    void listPositions(const Run& read, const std::array<std::uint16_t, kRegisterCount>& words) {
        for (std::size_t p = 0; p < r_.seen.children.size(); ++p) {
            InspectedPosition at;
            at.position = static_cast<int>(p);
            at.child = r_.seen.children[p];
            at.kind = childKind(at.child.facts);
            for (int i = 0; i < kRegisterCount; ++i)
                if (layout_.controlPositions[static_cast<std::size_t>(i)] == at.position)
                    at.maps.push_back(regName(i));
            if (layout_.okPosition == at.position) at.maps.push_back("OK");
            if (layout_.cancelPosition == at.position) at.maps.push_back("Cancel");
            r_.positions.push_back(std::move(at));
        }
        // The k-th get-text of a read is register k's.
        const auto& reads = read.trace.reads;
        for (std::size_t k = 0; k < reads.size() && k < words.size(); ++k)
            if (reads[k] >= 0 && reads[k] < children())
                r_.positions[static_cast<std::size_t>(reads[k])].value = words[k];
    }

    bool allRegistersReached(const Run& run) const {
        return static_cast<int>(run.trace.reads.size()) >= writtenCount();
    }

    // The module's registers: each reached in an edit field. The first one not
    // reached is explained; the strict order means none after it is either.
    bool checkRegisters(const Run& run, unsigned spoils, bool writing) {
        const std::vector<int>& reached = writing ? run.trace.writes : run.trace.reads;
        const int count = std::min(writtenCount(), static_cast<int>(reached.size()));
        // The edit fields in child order are the registers in index order,
        // unless there are more of them than registers.
        std::vector<int> edits;
        for (const InspectedPosition& at : r_.positions)
            if (at.kind == ChildKind::Edit) edits.push_back(at.position);
        bool good = true;
        bool misplacedTold = false;
        for (int k = 0; k < count; ++k) {
            const InspectedPosition& at = r_.positions[static_cast<std::size_t>(reached[k])];
            if (at.kind == ChildKind::Edit) {
                const auto ordinal = std::find(edits.begin(), edits.end(), at.position) - edits.begin();
                if (ordinal == k || edits.size() > static_cast<std::size_t>(kRegisterCount)) continue;
                good = false;
                if (misplacedTold) continue;
                misplacedTold = true;
                add(regName(k) + " is mapped to position " + str(at.position) + ", the window's " +
                        nth(static_cast<int>(ordinal) + 1) + " edit field, not its " + nth(k + 1) +
                        (k < static_cast<int>(edits.size())
                             ? " (position " + str(edits[static_cast<std::size_t>(k)]) + ")"
                             : ""),
                    spoils);
                continue;
            }
            good = false;
            add(regName(k) + " is mapped to position " + str(at.position) + ", which is " + whatIs(at) +
                    ", not an edit field",
                spoils);
        }
        if (count >= writtenCount()) return good;
        if (const std::string why = unreached(count, writing); !why.empty()) {
            const bool several = count + 1 < writtenCount();
            add((several ? regName(count) + " to " + regName(writtenCount() - 1) + " are"
                         : regName(count) + " is") +
                    " never reached: " + why,
                spoils);
        }
        return false;
    }

    // Why the walk never comes to register i; empty when the layout does not say.
    std::string unreached(int i, bool writing) const {
        const int position = layout_.controlPositions[static_cast<std::size_t>(i)];
        const std::string mapped = regName(i) + " is mapped to position " + str(position);
        if (position < 0) return regName(i) + " is not mapped to any position";
        if (i > 0) {
            const int before = layout_.controlPositions[static_cast<std::size_t>(i - 1)];
            if (position <= before)
                return mapped + ", not after " + regName(i - 1) + "'s position " + str(before) +
                       ", and registers are found in order";
        }
        if (position >= layout_.maxWindows)
            return mapped + ", but the walk ends at MAX_WINDOWS " + str(layout_.maxWindows);
        if (position >= children())
            return mapped + ", but the window's last child is at position " + str(children() - 1);
        if (writing && layout_.okPosition < position && layout_.okPosition < layout_.maxWindows)
            return "the write presses OK at position " + str(layout_.okPosition) + " before it reaches " +
                   regName(i) + " at position " + str(position);
        return {};
    }

    // Whether the exchange presses the button `name` and succeeds; if not, why.
    bool checkButton(const Run& run, const std::string& name, int position, int line, unsigned spoils) {
        const std::vector<int> buttons = buttonsNamed(r_.positions, name);
        const auto isButton = [&](int p) {
            return std::find(buttons.begin(), buttons.end(), p) != buttons.end();
        };
        if (run.ok && run.trace.pressed >= 0 && isButton(run.trace.pressed)) return true;

        const std::string key = name == "OK" ? "OK_BUTTON" : "CANCEL_BUTTON";
        const std::string there =
            position >= 0 && position < children()
                ? ", which is " + whatIs(r_.positions[static_cast<std::size_t>(position)])
                : ", where the window has no child";
        if (buttons.size() == 1 && buttons.front() != position)
            add("the " + name + " button is at position " + str(buttons.front()) + ", " +
                    said(line, position) + there,
                spoils);
        else if (buttons.empty())
            add("the window has no push button \"" + name + "\"; " + key + " is " + str(position) + there,
                spoils);
        else if (!isButton(position))
            add("the window has " + str(static_cast<int>(buttons.size())) + " push buttons \"" + name +
                    "\" (positions " + positionList(buttons) + "); " + key + " is " + str(position) + there,
                spoils);
        if (position >= layout_.maxWindows)
            add("the " + name + " position " + str(position) + " is not below MAX_WINDOWS " +
                    str(layout_.maxWindows) + ": the walk ends before it and never presses " + name,
                spoils);
        explainIfAlone(run, spoils);
        return false;
    }

    Inspection& r_;
    const WindowLayout& layout_;
};

bool isRegisterKey(std::string_view key) {
    return key.rfind("REG_", 0) == 0;
}

std::string twoDigits(int index) {
    return (index < 10 ? "0" : "") + str(index);
}

} // namespace

Inspection diagnose(ModuleKind kind, const std::string& title, const std::string& titleSource,
                    const SeenWindow& seen, const DescriptionInEffect& description) {
    Inspection result;
    result.kind = clampModuleKind(kind);
    result.title = title;
    result.titleSource = titleSource;
    result.description = description;
    result.seen = seen;
    Diagnosis(result).run();
    return result;
}

Inspection inspectHost(HostWindows& host, const InspectRequest& request) {
    DescriptionInEffect description;
    const std::string path = request.wdb.value_or(kDescriptionFileName);
    std::error_code ignored;
    // The tool itself runs on the defaults when its file is missing.
    if (request.wdb || std::filesystem::exists(path, ignored)) {
        description.check = checkWdbFile(path);
        description.path = path;
    } else {
        std::istringstream none;
        description.check = checkWdb(none);
    }

    const ModuleKind kind = clampModuleKind(request.kind);
    std::string title = description.check.description.titles[static_cast<std::size_t>(kind)];
    const int line = description.check.titleLine[static_cast<std::size_t>(kind)];
    std::string source = line ? "the title from " + path + " line " + str(line) : "the default title";
    if (request.title) {
        title = *request.title;
        source = "the title given with --title";
    }

    const SeenWindow seen = inspectHostWindow(host, title);
    if (!seen.found)
        throw CliError("no host window titled " + quotedText(title) + " is open (" + source +
                       "); allowed: the title of an open I/O parameter window, or --title TEXT");
    if (seen.vanished)
        throw CliError("the host window " + quotedText(title) +
                       " closed during the walk; open it again and repeat");
    return diagnose(kind, title, source, seen, description);
}

SuggestedDescription suggestDescription(const Inspection& inspection) {
    const SeenWindow& seen = inspection.seen;
    const int n = static_cast<int>(inspection.positions.size());
    if (seen.stopped || seen.truncated)
        throw CliError("the walk did not see the whole window (" +
                       std::string(seen.stopped ? "a child did not answer in time" : "too many children") +
                       "); no description file is suggested from part of a window");
    if (n == 0) throw CliError("the host window has no child windows; there is nothing to describe");

    SuggestedDescription s;
    const ModuleInfo& module = moduleInfo(inspection.kind);
    const WindowLayout& current = inspection.layout();
    WindowLayout layout = current;
    std::vector<std::string> lines;

    std::vector<int> edits;
    for (const InspectedPosition& at : inspection.positions)
        if (at.kind == ChildKind::Edit) edits.push_back(at.position);
    const int fields = static_cast<int>(edits.size());
    const bool registers = fields <= kRegisterCount;
    if (!registers) {
        s.notes.push_back("the window has " + str(fields) + " edit fields, more than the " +
                          str(kRegisterCount) +
                          " registers of a module: which are the module's is ambiguous, so no REG_ key is "
                          "suggested");
    } else {
        for (int i = 0; i < kRegisterCount; ++i) {
            int& position = layout.controlPositions[static_cast<std::size_t>(i)];
            if (i < fields)
                position = edits[static_cast<std::size_t>(i)];
            else if (position != kUnmapped)
                position = kNoPosition;
            else
                continue;
            lines.push_back("REG_" + twoDigits(i) + " = " + str(position));
        }
        if (fields < module.writtenCount)
            s.notes.push_back("module " + str(inspection.kind) + " writes " + str(module.writtenCount) +
                              " registers but the window has " + str(fields) +
                              " edit fields: " + regName(fields) + " to " + regName(module.writtenCount - 1) +
                              " have none, so no file lets a write succeed; they are put at position " +
                              str(kNoPosition) + ", out of the walk");
    }

    bool okSuggested = false;
    bool cancelSuggested = false;
    for (const auto& [name, key, field, suggested] :
         {std::tuple{std::string("OK"), std::string("OK_BUTTON"), &layout.okPosition, &okSuggested},
          std::tuple{std::string("Cancel"), std::string("CANCEL_BUTTON"), &layout.cancelPosition,
                     &cancelSuggested}}) {
        const std::vector<int> buttons = buttonsNamed(inspection.positions, name);
        if (buttons.size() == 1) {
            *field = buttons.front();
            *suggested = true;
            lines.push_back(key + " = " + str(*field));
        } else if (buttons.empty()) {
            s.notes.push_back("the window has no push button \"" + name + "\", so no " + key +
                              " is suggested");
        } else {
            s.notes.push_back("the window has " + str(static_cast<int>(buttons.size())) + " push buttons \"" +
                              name + "\" (positions " + positionList(buttons) +
                              "): which is meant is ambiguous, "
                              "so no " +
                              key + " is suggested");
        }
    }

    // The walk must reach every field and button it uses; a read needs a
    // child at MAX_WINDOWS, and buttons are pressed only below it.
    int last = -1;
    for (int position : layout.controlPositions)
        if (position >= 0 && position < n) last = std::max(last, position);
    for (int position : {layout.okPosition, layout.cancelPosition})
        if (position >= 0 && position < n) last = std::max(last, position);
    layout.maxWindows = last + 1;
    lines.push_back("MAX_WINDOWS = " + str(layout.maxWindows));
    if (layout.maxWindows >= n)
        s.notes.push_back("position " + str(last) +
                          ", the last the walk must reach, is the window's last child: no MAX_WINDOWS lets "
                          "both a read and a write succeed; MAX_WINDOWS = " +
                          str(layout.maxWindows) +
                          " lets the write press its button, and a read then fails after reading every "
                          "register, which the tool ignores");

    const std::string& title = inspection.title;
    const bool titleSuggested =
        title.size() <= kMaxTitleLength && title.find('"') == std::string::npos && !title.empty();
    if (titleSuggested)
        lines.insert(lines.begin(), std::string(module.hostKey) + " = \"" + title + "\"");
    else
        s.notes.push_back("the title " + quotedText(title) +
                          " cannot be written to the file (more than 19 characters, empty, or with a quote), "
                          "so no " +
                          std::string(module.hostKey) + " line is suggested");

    // Every other key of the current file stays, before the suggested lines,
    // which thus win over anything in it.
    const auto replaced = [&](const std::string& key) {
        if (key.empty()) return true;
        if (isRegisterKey(key)) return registers;
        if (key == "OK_BUTTON") return okSuggested;
        if (key == "CANCEL_BUTTON") return cancelSuggested;
        if (key == "MAX_WINDOWS") return true;
        return key == module.hostKey && titleSuggested;
    };
    std::string text;
    if (!inspection.description.path.empty())
        for (const LineReport& line : inspection.description.check.description.lines)
            if (std::any_of(line.effects.begin(), line.effects.end(),
                            [&](const LineEffect& e) { return !replaced(e.key); }))
                text += line.text.substr(0, line.text.find('\0')) + "\n";
    for (const std::string& line : lines) text += line + "\n";
    s.text = text;

    DescriptionInEffect suggested;
    suggested.path = "the suggested file";
    std::istringstream in(text);
    suggested.check = checkWdb(in);
    s.outcome = diagnose(inspection.kind, title, inspection.titleSource, seen, suggested);
    for (const InspectionProblem& p : s.outcome.problems)
        if (p.spoils) s.notes.push_back("with this file: " + p.text);
    return s;
}

} // namespace velmora::cli
