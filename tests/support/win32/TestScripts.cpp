// The batch-file flavour of the test scripts, for cmd.exe on Windows.
#include "support/TestScripts.h"

#include <fstream>
#include <stdexcept>
#include <vector>

#include "platform/win32/Win32Text.h"

namespace psion::testing {

namespace {

// A path in the code page the script is read in, quoted for cmd.exe.
std::string Quoted(const std::filesystem::path& file) {
    return "\"" + win32::FromWide(file.wstring()) + "\"";
}

// Text that echo writes literally: cmd's special characters escaped.
std::string Literal(std::string_view text) {
    std::string escaped;
    for (char c : text) {
        if (c == '%') {
            escaped += "%%";
        } else {
            if (c == '^' || c == '&' || c == '<' || c == '>' || c == '|') escaped += '^';
            escaped += c;
        }
    }
    return escaped;
}

}  // namespace

namespace script {

// The redirection comes first, so a digit at the end of the text is not read as a handle number.
std::string AppendLine(const std::filesystem::path& file, std::string_view text) {
    return ">>" + Quoted(file) + " echo:" + Literal(text);
}

// Through a variable expanded late, so that &, ^ or ! in the path stay literal.
std::string AppendOwnPath(const std::filesystem::path& file) {
    return "set \"psion_own_path=%~0\"\r\n"
           "setlocal EnableDelayedExpansion\r\n" +
           (">>" + Quoted(file) + " echo:!psion_own_path!\r\n") + "endlocal";
}

// cmd.exe has no sleep of its own that works without a console; ping waits a second per echo.
std::string Sleep(int seconds) {
    return "ping -n " + std::to_string(seconds + 1) + " 127.0.0.1 >nul";
}

std::string Exit(int code) { return "exit /b " + std::to_string(code); }

}  // namespace script

std::filesystem::path WriteScript(const std::filesystem::path& file,
                                  std::initializer_list<std::string> commands) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << "@echo off\r\n";
    for (const auto& command : commands) out << command << "\r\n";
    out.close();
    if (!out) throw std::runtime_error("cannot write " + file.string());
    return file;
}

// A batch file is found on PATH by its extension alone.
std::filesystem::path WriteProgram(const std::filesystem::path& file,
                                   std::initializer_list<std::string> commands) {
    return WriteScript(file, commands);
}

std::vector<std::string> ReadLines(const std::filesystem::path& file) {
    std::vector<std::string> lines;
    std::ifstream in(file, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

}  // namespace psion::testing
