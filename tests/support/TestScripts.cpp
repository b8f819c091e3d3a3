#include "support/TestScripts.h"

#include <fstream>
#include <stdexcept>
#include <vector>

namespace psion::testing {

namespace {

// One word for /bin/sh, whatever the text holds.
std::string Quoted(std::string_view text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

}  // namespace

namespace script {

std::string AppendLine(const std::filesystem::path& file, std::string_view text) {
    return "printf '%s\\n' " + Quoted(text) + " >> " + Quoted(file.string());
}

std::string AppendOwnPath(const std::filesystem::path& file) {
    return "printf '%s\\n' \"$0\" >> " + Quoted(file.string());
}

std::string Sleep(int seconds) { return "sleep " + std::to_string(seconds); }

std::string Exit(int code) { return "exit " + std::to_string(code); }

}  // namespace script

std::filesystem::path WriteScript(const std::filesystem::path& file,
                                  std::initializer_list<std::string> commands) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << "#!/bin/sh\n";
    for (const auto& command : commands) out << command << '\n';
    out.close();
    if (!out) throw std::runtime_error("cannot write " + file.string());
    return file;
}

std::filesystem::path WriteProgram(const std::filesystem::path& file,
                                   std::initializer_list<std::string> commands) {
    WriteScript(file, commands);
    using std::filesystem::perms;
    std::filesystem::permissions(file, perms::owner_all | perms::group_read | perms::group_exec |
                                           perms::others_read | perms::others_exec);
    return file;
}

std::vector<std::string> ReadLines(const std::filesystem::path& file) {
    std::vector<std::string> lines;
    std::ifstream in(file, std::ios::binary);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace psion::testing
