#pragma once
// inspect-host: a module's host window as the exchange walks it, what a read,
// a write and a cancel would do there and why one would fail, and a window
// description file that fits the window. Nothing here sends the host more
// than get-text messages; the verdicts come from the exchange itself, run on
// a replay of what the walk saw.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "hostlink/host_inspection.h"
#include "cli/commands.h"

namespace velmora::cli {

// Which exchanges a problem spoils (bits).
inline constexpr unsigned kSpoilsRead = 1;
inline constexpr unsigned kSpoilsWrite = 2;
inline constexpr unsigned kSpoilsCancel = 4;

struct InspectionProblem {
    std::string text;
    unsigned spoils = 0;
};

struct InspectedPosition {
    int position = 0;
    SeenChild child;
    ChildKind kind = ChildKind::Unknown;
    std::vector<std::string> maps;      // "Reg7", "OK", "Cancel", as the description maps them
    std::optional<std::uint16_t> value; // the word a read takes from here
};

// The window description in effect.
struct DescriptionInEffect {
    std::string path; // the file read; empty when no file was there and the defaults stand
    WdbCheck check;
};

struct Inspection {
    ModuleKind kind = 0;
    std::string title;
    std::string titleSource; // "the default title", "the title from VELMORA.WDB line 3", ...
    DescriptionInEffect description;
    SeenWindow seen;
    std::vector<InspectedPosition> positions;
    bool readSucceeds = false;
    bool writeSucceeds = false;
    bool cancelSucceeds = false;
    std::vector<InspectionProblem> problems;

    const WindowLayout& layout() const { return description.check.description.layout; }
    bool allSucceed() const { return readSucceeds && writeSucceeds && cancelSucceeds; }
};

struct InspectRequest {
    ModuleKind kind = 0;
    std::optional<std::string> title; // --title: instead of the description's title
    std::optional<std::string> wdb;   // --wdb: instead of VELMORA.WDB, which may be missing
};

// Reads the description, finds the window by title and diagnoses it. A given
// file that cannot be read, no window with the title, or a window that closed
// during the walk is a CliError.
Inspection inspectHost(HostWindows& host, const InspectRequest& request);

// What a read, a write and a cancel of module `kind` would do on `seen`.
Inspection diagnose(ModuleKind kind, const std::string& title, const std::string& titleSource,
                    const SeenWindow& seen, const DescriptionInEffect& description);

struct SuggestedDescription {
    std::string text;               // the file
    std::vector<std::string> notes; // what it could not settle, and compromises
    Inspection outcome;             // the same window diagnosed with the suggested file
};

SuggestedDescription suggestDescription(const Inspection& inspection);

} // namespace velmora::cli
