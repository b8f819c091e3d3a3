#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "app/MainForm.h"
#include "support/HeadlessProgram.h"

namespace psion::testing {

// A unit batch file as the setup writes it, with the given rem and link lines.
inline std::string UnitBatchFile(std::string_view remLine, std::string_view linkLine) {
    return "setdef am5\r\nsetdef ab2\r\n" + std::string(remLine) + "\r\n" + std::string(linkLine) +
           "\r\npdc\r\n";
}

// A send configuration file whose only port line ends in the given port.
inline std::string SendConfigFile(std::string_view port) {
    return "[serial]\r\nserial1=directserial port:" + std::string(port) + "\r\nbaud=9600\r\n";
}

inline constexpr std::string_view kProgramFiles = "program files";
inline constexpr std::string_view kProgramFilesX86 = "program files (x86)";

// The main window on a home drive that is a fresh temporary folder, driven
// through the headless binding, with real files and processes behind it.
class MainWindowTest : public ::testing::Test, protected HeadlessProgram<> {
  protected:
    // Writes <home>/<root>/kelvo/psion/<name>.
    void WriteUnitFile(std::string_view root, std::string_view name, std::string_view bytes) {
        temp.Write(std::string(root) + "/kelvo/psion/" + std::string(name), bytes);
    }
    void RemoveUnitFile(std::string_view root, std::string_view name) {
        std::filesystem::remove(temp.Path() / root / "kelvo" / "psion" / name);
    }
};

}  // namespace psion::testing
