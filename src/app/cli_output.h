#pragma once
// How the command-line tool prints its results: plain text for people, JSON
// for scripts. Each printer writes the whole result or nothing.

#include <ostream>
#include <string>
#include <string_view>

#include "app/cli_commands.h"

namespace velmora::cli {

enum class OutputFormat { Text, Json };

// "%04X".
std::string wordText(std::uint16_t word);

void printModules(std::ostream& out, OutputFormat format);
void printDecoded(std::ostream& out, const Decoded& decoded, OutputFormat format);
void printEncoded(std::ostream& out, const Encoded& encoded, OutputFormat format);
// `path` names the file in the heading.
void printWdbCheck(std::ostream& out, const WdbCheck& check, std::string_view path);

} // namespace velmora::cli
