#pragma once

#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace psion::testing {

// Transfer scripts for the tests, written in the command language that the
// platform's process layer starts scripts with. A port to another platform
// swaps this file and its .cpp; the tests only combine the commands.
namespace script {

// Appends one line of text to the file (creating it).
std::string AppendLine(const std::filesystem::path& file, std::string_view text);
// Appends the path that the script was started as.
std::string AppendOwnPath(const std::filesystem::path& file);
std::string Sleep(int seconds);
std::string Exit(int code);

}  // namespace script

// Writes a script of those commands, one per line, creating parent folders.
std::filesystem::path WriteScript(const std::filesystem::path& file,
                                  std::initializer_list<std::string> commands);

// Writes the script and makes it executable, so that it can be found on PATH.
std::filesystem::path WriteProgram(const std::filesystem::path& file,
                                   std::initializer_list<std::string> commands);

// The file's lines (without line ends); none when it does not exist.
std::vector<std::string> ReadLines(const std::filesystem::path& file);

}  // namespace psion::testing
