#pragma once
// How the command-line tool prints its results: plain text for people, JSON
// for scripts, Markdown for documents. Each printer writes the whole result
// or nothing.

#include <ostream>
#include <string>
#include <string_view>

#include "cli/commands.h"
#include "cli/inspect.h"
#include "core/text.h"

namespace velmora::cli {

enum class OutputFormat { Text, Json, Markdown };

// A setting's value for a line of text: `1 "12V"`, `250`, `6 (no selection)`,
// and for an alarm word `2710 (10.000)`.
std::string valueText(const SettingView& setting);

void printModules(std::ostream& out, OutputFormat format);
void printDecoded(std::ostream& out, const Decoded& decoded, OutputFormat format);
void printEncoded(std::ostream& out, const Encoded& encoded, OutputFormat format);
// One block of --explain: a heading, one line per setting, word and refused copy step.
void printActionEffect(std::ostream& out, const ActionEffect& effect);
// Text or JSON.
void printDiffed(std::ostream& out, const Diffed& diffed, OutputFormat format);
// `path` names the file in the heading.
void printWdbCheck(std::ostream& out, const WdbCheck& check, std::string_view path);

// Text or JSON: one line per child position, then whether a read, a write
// and a cancel would succeed, and why not.
void printInspection(std::ostream& out, const Inspection& inspection, OutputFormat format);

} // namespace velmora::cli
