#include "cli/run.h"

#include <optional>
#include <span>
#include <sstream>

#include "cli/commands.h"
#include "cli/inspect.h"
#include "cli/output.h"

namespace velmora::cli {

namespace {

constexpr std::string_view kMainHelp =
    R"(velmora-cli: the I/O module configuration rules on the command line.

usage:
  velmora-cli modules [--json]
  velmora-cli decode MODULE [WORD...] [--json | --format text|json|markdown]
  velmora-cli encode MODULE [--from WORD...] [ACTION...] [--json] [--explain]
  velmora-cli diff MODULE [WORD...] --against [WORD...] [--json]
  velmora-cli check-wdb [FILE]
  velmora-cli inspect-host MODULE [--title TEXT] [--wdb FILE] [--json | --suggest-wdb]
  velmora-cli COMMAND --help      more about one command

MODULE is a kind 0-7 or a list name in any case (see "velmora-cli modules").
WORDs are hexadecimal register words, Reg1 first, read as the host's fields
are read; missing ones are 0.

exit status: 0 done; 1 check-wdb found a line with a key that did not take
effect, diff found a setting that differs, or inspect-host found that an
exchange would fail; 2 an error, told in one line on stderr with nothing on
stdout.
)";

constexpr std::string_view kModulesHelp =
    R"(usage: velmora-cli modules [--json]

Lists the eight modules: kind, list name, host key, default host window
title, dialog family and how many registers go back to the host.
With --json: a list of objects with the keys kind, name, host_key,
default_title, family and written.
)";

constexpr std::string_view kDecodeHelp =
    R"(usage: velmora-cli decode MODULE [WORD...] [--json | --format FORMAT]

Shows the settings the module's dialog shows for these register words, as a
host would hold them: every setting with its code and the dialog's text, and
for module 3 each alarm setpoint in engineering units.

MODULE  a kind 0-7 or a list name, any case
WORD    hexadecimal, with an optional 0x; the first is Reg1, missing ones
        are 0, at most 24; the low 16 bits of each are used

With --json, one object:
  {"module": K, "name": LISTNAME, "registers": ["%04X", ...],
   "settings": {NAME: CODE, ...}, "alarms": {"reg4": UNITS, ...}}
"registers" are the words the dialog handles; "alarms" only for module 3,
null where the group's range has no scaling row. NAMEs are those of encode.

--format text|json|markdown  text (the default), the JSON above, or a
        commissioning sheet in Markdown: the module's name and host window
        title, its registers, a table of every setting per channel or
        group, and for module 3 the alarm limits per group

example: velmora-cli decode 770_ZHC_358VM 00C5 0000
)";

constexpr std::string_view kEncodeHelp =
    R"(usage: velmora-cli encode MODULE [--from WORD...] [ACTION...] [--json] [--explain]

Prints the registers the module's dialog stores on OK, "%04X" separated by
blanks (registers the dialog does not handle stay as they came).

--from WORD...  start as the dialog does after reading these words from a
                host (missing ones 0); without it, the standalone start with
                the module's defaults
ACTION          applied in order, as the dialog applies that user action:
  NAME=VALUE    VALUE is a code number or the list or button text (any case,
                blanks around it ignored); delay and chN.timeout take a
                decimal integer, regN a decimal number in engineering units
  defaults      the dialog's Defaults button
  copy=chA:chB-chC  (counter, multi-purpose) or copy=gA:gB-gC (analog,
                universal): channels or groups B to C (or just B) take the
                settings of A, set one by one as a user sets them in the
                dialog, so the same rules hold; a setting the dialog does
                not allow then (a pair's second channel) is left as it is

NAMEs (N is the group or channel from 1):
  analog (0-3)      gN.range gN.format gN.filter gN.acquisition calibration
                    trigger timestamp; module 3 also reg4 .. reg19
  universal (4)     gN.type gN.voltage gN.current gN.thermocouple gN.rtd
                    gN.wiring gN.resistance gN.units gN.format gN.filter
                    gN.fault
  counter (5, 6)    chN.range chN.mode chN.size chN.digital_filter
                    chN.analog_filter chN.rate delay
  multi-purpose (7) chN.range chN.gate chN.size chN.digital_filter
                    chN.analog_filter chN.timeout delay

A choice the dialog would not allow then (a disabled or hidden control) is
an error. With --json: {"registers": [...]}.

--explain  after each action, on stderr: every setting whose value changed,
           old and new, chosen or changed by which rule; what was typed and
           what is stored; each register word that changed and its bits.
           Started --from words, first the words the start itself changes.
           Nothing is explained when an action is refused.

example: velmora-cli encode 5 ch1.mode=BiDirectional delay=250 --explain
)";

constexpr std::string_view kDiffHelp =
    R"(usage: velmora-cli diff MODULE [WORD...] --against [WORD...] [--json]

Compares two register sets of one module by the settings its dialog shows
for them (as decode shows them): one line per setting that differs, with
both values. Words the dialog ignores or overrides do not count.

WORD    as for decode: hexadecimal, Reg1 first, missing ones 0
--json  {"module": K, "name": LISTNAME, "equal": BOOL, "differences":
        [{"setting": NAME, "given": {"code": C, "text": T},
          "against": {"code": C, "text": T}}, ...]}

exit status: 0 when no setting differs, 1 when some do, 2 on an error.

example: velmora-cli diff 5 00C5 0000 00FA --against 0006 0006 00FA
)";

constexpr std::string_view kCheckWdbHelp =
    R"(usage: velmora-cli check-wdb [FILE]

Reads a window description file (default VELMORA.WDB in the current
directory) as the tool reads it, prints the host window titles and child
positions in effect and where each came from, and for every line the tool
ignores or only partly uses, its number and why.

exit status: 0 when every line with a key took effect, 1 otherwise, 2 when
the file cannot be read.
)";

constexpr std::string_view kInspectHostHelp =
    R"(usage: velmora-cli inspect-host MODULE [--title TEXT] [--wdb FILE] [--json | --suggest-wdb]

Windows only. Finds the host's I/O parameter window of MODULE by the title
the window description file gives it (or the default title), walks its
children exactly as the tool's exchange does, and prints one line per child
position: class, control id, enabled/visible, the text as the exchange reads
it, what the description maps there (RegN, OK, Cancel) and the word a read
takes. Then whether a read, a write and a cancel would succeed, and why not.
It only reads: no text is set and no button is pressed.

--title TEXT    look for the window by this title instead
--wdb FILE      read this description file instead of VELMORA.WDB in the
                current directory (which may be missing: the defaults)
--json          the same as one object
--suggest-wdb   print a description file that fits the window: its edit
                fields in child order as the registers, its push buttons
                "OK" and "Cancel" as OK_BUTTON and CANCEL_BUTTON, MAX_WINDOWS
                just past the last position the walk needs, the module's
                title line, and every other key of the current file; what it
                cannot settle goes to stderr

exit status: 0 when a read, a write and a cancel would succeed (with
--suggest-wdb: would succeed with the suggested file), 1 when one would not,
2 on an error (no such window, unreadable file, not on Windows).

example: velmora-cli inspect-host 5 --suggest-wdb > VELMORA.WDB
)";

bool isHelp(std::string_view a) {
    return a == "--help" || a == "-h";
}

bool wantsHelp(std::span<const std::string> args) {
    for (const std::string& a : args)
        if (isHelp(a)) return true;
    return false;
}

[[noreturn]] void unknownOption(std::string_view option, std::string_view allowed) {
    throw CliError("unknown option " + echo(option) + "; allowed: " + std::string(allowed));
}

bool isOption(std::string_view a) {
    return a.size() > 2 && a.substr(0, 2) == "--";
}

// --json, --format NAME and --format=NAME, the last of which wins unless
// they disagree.
class FormatOption {
public:
    explicit FormatOption(std::string_view allowed) : allowed_(allowed) {}

    // Whether args[i] (and for "--format NAME" the next one) is this option;
    // `i` is left on the last argument taken.
    bool take(std::span<const std::string> args, std::size_t& i) {
        const std::string& a = args[i];
        if (a == "--json") {
            set(OutputFormat::Json, a);
            return true;
        }
        if (a == "--format") {
            if (i + 1 >= args.size())
                throw CliError("--format needs a FORMAT; allowed: " + std::string(allowed_));
            ++i;
            set(parse(args[i]), args[i]);
            return true;
        }
        if (a.rfind("--format=", 0) == 0) {
            set(parse(a.substr(9)), a);
            return true;
        }
        return false;
    }
    OutputFormat format() const { return format_.value_or(OutputFormat::Text); }

private:
    OutputFormat parse(std::string_view name) const {
        for (const auto& [text, format] :
             {std::pair{"text", OutputFormat::Text}, std::pair{"json", OutputFormat::Json},
              std::pair{"markdown", OutputFormat::Markdown}})
            if (name == text && std::string_view(allowed_).find(text) != std::string_view::npos)
                return format;
        throw CliError("unknown format " + echo(name) + "; allowed: " + std::string(allowed_));
    }
    void set(OutputFormat format, std::string_view given) {
        if (format_ && *format_ != format)
            throw CliError("two output formats given (" + echo(given) + " after another); allowed: one of " +
                           std::string(allowed_));
        format_ = format;
    }

    std::string_view allowed_;
    std::optional<OutputFormat> format_;
};

int runModules(std::span<const std::string> args, std::ostream& out, std::ostream&, HostWindows*) {
    OutputFormat format = OutputFormat::Text;
    for (const std::string& a : args) {
        if (a == "--json")
            format = OutputFormat::Json;
        else if (isOption(a))
            unknownOption(a, "--json, --help");
        else
            throw CliError("modules takes no argument " + echo(a) + "; allowed: --json, --help");
    }
    printModules(out, format);
    return kExitOk;
}

int runDecode(std::span<const std::string> args, std::ostream& out, std::ostream&, HostWindows*) {
    FormatOption format("text, json, markdown");
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (format.take(args, i)) continue;
        if (isOption(args[i])) unknownOption(args[i], "--json, --format, --help");
        positional.push_back(args[i]);
    }
    if (positional.empty()) throw CliError("decode needs a MODULE; allowed: 0 to 7 or a list name");
    const ModuleKind kind = parseModule(positional.front());
    const RegisterWords words = parseWords(std::span(positional).subspan(1));
    printDecoded(out, decodeModule(kind, words), format.format());
    return kExitOk;
}

int runEncode(std::span<const std::string> args, std::ostream& out, std::ostream& notes, HostWindows*) {
    OutputFormat format = OutputFormat::Text;
    bool explain = false;
    std::optional<std::string> module;
    std::optional<std::vector<std::string>> from;
    bool readingWords = false;
    std::vector<Action> actions;
    for (const std::string& a : args) {
        if (a == "--json") {
            format = OutputFormat::Json;
        } else if (a == "--explain") {
            explain = true;
        } else if (a == "--from") {
            if (!module) throw CliError("--from before MODULE; allowed: encode MODULE --from WORD...");
            if (from) throw CliError("--from given twice; allowed: one --from with up to 24 words");
            if (!actions.empty())
                throw CliError("--from after an action; allowed: --from WORD... before the actions");
            from.emplace();
            readingWords = true;
        } else if (isOption(a)) {
            unknownOption(a, "--from, --explain, --json, --help");
        } else if (!module) {
            module = a;
        } else if (readingWords && !looksLikeAction(a)) {
            from->push_back(a);
        } else {
            readingWords = false;
            actions.push_back(parseAction(a));
        }
    }
    if (!module) throw CliError("encode needs a MODULE; allowed: 0 to 7 or a list name");
    EncodeRequest request;
    request.kind = parseModule(*module);
    if (from) request.from = parseWords(*from);
    request.actions = std::move(actions);
    ActionObserver observer;
    if (explain) observer = [&notes](const ActionEffect& effect) { printActionEffect(notes, effect); };
    printEncoded(out, encodeModule(request, observer), format);
    return kExitOk;
}

int runDiff(std::span<const std::string> args, std::ostream& out, std::ostream&, HostWindows*) {
    FormatOption format("text, json");
    std::optional<std::string> module;
    std::vector<std::string> given;
    std::optional<std::vector<std::string>> against;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (format.take(args, i)) continue;
        if (a == "--against") {
            if (!module)
                throw CliError("--against before MODULE; allowed: diff MODULE WORD... --against WORD...");
            if (against)
                throw CliError("--against given twice; allowed: diff MODULE WORD... --against WORD...");
            against.emplace();
        } else if (isOption(a)) {
            unknownOption(a, "--against, --json, --format, --help");
        } else if (!module) {
            module = a;
        } else {
            (against ? *against : given).push_back(a);
        }
    }
    if (!module) throw CliError("diff needs a MODULE; allowed: 0 to 7 or a list name");
    const ModuleKind kind = parseModule(*module);
    if (!against) throw CliError("diff needs --against; allowed: diff MODULE WORD... --against WORD...");
    const Diffed diffed = diffModule(kind, parseWords(given), parseWords(*against));
    printDiffed(out, diffed, format.format());
    return diffed.equal() ? kExitOk : kExitDiffer;
}

int runCheckWdb(std::span<const std::string> args, std::ostream& out, std::ostream&, HostWindows*) {
    std::optional<std::string> path;
    for (const std::string& a : args) {
        if (isOption(a)) unknownOption(a, "--help");
        if (path) throw CliError("check-wdb takes one FILE; allowed: check-wdb [FILE]");
        path = a;
    }
    const std::string file = path.value_or(kDescriptionFileName);
    const WdbCheck check = checkWdbFile(file);
    printWdbCheck(out, check, file);
    return check.allTookEffect() ? kExitOk : kExitNotAllInEffect;
}

int runInspectHost(std::span<const std::string> args, std::ostream& out, std::ostream& notes,
                   HostWindows* host) {
    if (!host)
        throw CliError("inspect-host needs Windows: only velmora-cli.exe of the Windows build can reach the "
                       "host's windows");
    InspectRequest request;
    std::optional<std::string> module;
    bool json = false;
    bool suggest = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--title" || a == "--wdb") {
            if (i + 1 >= args.size())
                throw CliError(a + " needs a " + (a == "--title" ? "TEXT" : "FILE") +
                               "; allowed: inspect-host MODULE [--title TEXT] [--wdb FILE]");
            (a == "--title" ? request.title : request.wdb) = args[++i];
        } else if (a == "--json") {
            json = true;
        } else if (a == "--suggest-wdb") {
            suggest = true;
        } else if (isOption(a)) {
            unknownOption(a, "--title, --wdb, --json, --suggest-wdb, --help");
        } else if (module) {
            throw CliError("inspect-host takes one MODULE; allowed: inspect-host MODULE [options]");
        } else {
            module = a;
        }
    }
    if (!module) throw CliError("inspect-host needs a MODULE; allowed: 0 to 7 or a list name");
    if (json && suggest) throw CliError("--json and --suggest-wdb together; allowed: one of them");
    request.kind = parseModule(*module);
    const Inspection inspection = inspectHost(*host, request);
    if (!suggest) {
        printInspection(out, inspection, json ? OutputFormat::Json : OutputFormat::Text);
        return inspection.allSucceed() ? kExitOk : kExitWouldFail;
    }
    const SuggestedDescription suggestion = suggestDescription(inspection);
    for (const std::string& note : suggestion.notes) notes << "inspect-host: " << note << '\n';
    out << suggestion.text;
    return suggestion.outcome.allSucceed() ? kExitOk : kExitWouldFail;
}

struct Command {
    std::string_view name;
    std::string_view help;
    // Results go to the first stream, explanations to the second.
    int (*run)(std::span<const std::string>, std::ostream&, std::ostream&, HostWindows*);
};

constexpr Command kCommands[] = {
    {"modules", kModulesHelp, runModules},     {"decode", kDecodeHelp, runDecode},
    {"encode", kEncodeHelp, runEncode},        {"diff", kDiffHelp, runDiff},
    {"check-wdb", kCheckWdbHelp, runCheckWdb}, {"inspect-host", kInspectHostHelp, runInspectHost},
};

constexpr std::string_view kCommandList = "modules, decode, encode, diff, check-wdb, inspect-host, --help";

const Command* findCommand(std::string_view name) {
    for (const Command& c : kCommands)
        if (c.name == name) return &c;
    return nullptr;
}

// An error is one line, whatever text a model or a user put into it.
std::string oneLine(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    return out;
}

int dispatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& notes,
             HostWindows* host) {
    if (args.empty()) throw CliError("no command given; allowed: " + std::string(kCommandList));
    const std::string& name = args.front();
    const std::span<const std::string> rest = std::span(args).subspan(1);
    if (isHelp(name) || name == "help") {
        if (name == "help" && !rest.empty()) {
            const Command* c = findCommand(rest.front());
            if (!c)
                throw CliError("no help on " + echo(rest.front()) +
                               "; allowed: " + std::string(kCommandList));
            out << c->help;
        } else {
            out << kMainHelp;
        }
        return kExitOk;
    }
    const Command* command = findCommand(name);
    if (!command) throw CliError("unknown command " + echo(name) + "; allowed: " + std::string(kCommandList));
    if (wantsHelp(rest)) {
        out << command->help;
        return kExitOk;
    }
    return command->run(rest, out, notes, host);
}

} // namespace

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, HostWindows* host) {
    // Results are built in full before any of them reaches `out`, so a failure
    // half-way leaves stdout empty and the error alone on `err`.
    std::ostringstream result;
    std::ostringstream notes;
    try {
        const int status = dispatch(args, result, notes, host);
        err << notes.str();
        err.flush();
        out << result.str();
        out.flush();
        return status;
    } catch (const std::exception& e) {
        err << "velmora-cli: " << oneLine(e.what()) << '\n';
        err.flush();
        return kExitError;
    }
}

} // namespace velmora::cli
