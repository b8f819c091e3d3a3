#include "app/SystemPathCandidates.h"

#include "common/AsciiCase.h"

namespace psion::app {

namespace {

// A letter and a colon alone, as Windows gives a drive; a folder (or a POSIX
// home drive on Linux) is no drive letter.
bool IsDriveLetter(const std::string& text) {
    if (text.size() != 2 || text[1] != ':') return false;
    const char letter = common::ToLowerAscii(text[0]);
    return letter >= 'a' && letter <= 'z';
}

void AddBothRoots(std::vector<std::string>& entries, const std::string& drive) {
    entries.push_back(drive + "\\program files");
    entries.push_back(drive + "\\program files (x86)");
}

}  // namespace

std::vector<std::string> SystemPathCandidates(const platform::Environment& environment) {
    // Without a home drive the candidates start at the root.
    const std::string homeDrive = environment.Get("homedrive").value_or("");
    std::vector<std::string> entries;
    AddBothRoots(entries, homeDrive);
    if (!IsDriveLetter(homeDrive)) return entries;
    // Linux sets no system drive; there Wine's programs live on C:.
    std::string systemDrive = environment.Get("SystemDrive").value_or("");
    if (systemDrive.empty()) systemDrive = "C:";
    if (IsDriveLetter(systemDrive) && !common::EqualIgnoringAsciiCase(systemDrive, homeDrive)) {
        AddBothRoots(entries, systemDrive);
    }
    return entries;
}

}  // namespace psion::app
