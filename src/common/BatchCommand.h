#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace psion::common {

// How cmd.exe is told to run one batch file, on Windows and under Wine alike.
//
// cmd.exe expands %name% even inside quotes, and treats & | ^ ( ) ! and " as
// its own outside them. The batch file is therefore named in quotes, with
// delayed expansion off (/v:OFF, so ! is literal), AutoRun skipped (/d), and
// /s so that only the outer pair of quotes is taken off the command. A folder
// that holds % is not named at all: cmd.exe is started in it, and the file is
// named by its own name.
struct BatchStart {
    std::string folder;  // the folder to start cmd.exe in; empty: the caller's own
    std::string target;  // the batch file as cmd.exe is to run it
};

// Whether the folder goes on the command line where it can, or cmd.exe is
// always started in the script's folder.
enum class FolderUse { OnCommandLineWherePossible, StartInFolder };

// The start of the script at that Windows-style path; nullopt when it cannot
// be passed to cmd.exe whole: the path holds a quote, CR or LF, or the file's
// own name holds %.
std::optional<BatchStart> PlanBatchStart(std::string_view scriptPath, FolderUse use);

// The switches cmd.exe is started with, ending in /c.
inline constexpr std::string_view kCmdSwitches = "/d /e:ON /v:OFF /s /c";

// The command cmd.exe runs once /s has taken the outer quotes off: the target in quotes.
std::string QuotedCommand(const BatchStart& start);

// The whole command line: cmd.exe /d /e:ON /v:OFF /s /c ""<target>"".
std::string CmdCommandLine(const BatchStart& start);

// Which cmd.exe runs a script. The unit's scripts were written for the 32-bit
// world of a 64-bit Windows: there %ProgramFiles% is "C:\Program Files (x86)",
// and the registry view and System32 are the 32-bit ones. So the 32-bit
// interpreter (the Windows folder's SysWOW64\cmd.exe) runs them where the
// system has one, and the system's own is tried after it, for when the 32-bit
// one cannot be started; a missing or broken 32-bit part never fails a start.
enum class CmdInterpreter { Wow64, System };

// The interpreters to try, in order: the 32-bit one first when there is one.
std::vector<CmdInterpreter> CmdInterpretersToTry(bool wow64Present);

// The 32-bit interpreter as Wine's drive C: holds it, when Wine's 32-bit part is installed.
inline constexpr std::string_view kWineWow64Cmd = "C:\\windows\\syswow64\\cmd.exe";

}  // namespace psion::common
