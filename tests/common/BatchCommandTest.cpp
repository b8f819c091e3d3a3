#include "common/BatchCommand.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

namespace psion::common {
namespace {

struct BatchCase {
    std::string path;
    FolderUse use;
    std::optional<BatchStart> start;  // nullopt: refused
    std::string commandLine;          // when started
};

void PrintTo(const BatchCase& batch, std::ostream* out) { *out << batch.path; }

class BatchCommandTest : public ::testing::TestWithParam<BatchCase> {};

TEST_P(BatchCommandTest, PlansTheStartAndItsCommandLine) {
    const BatchCase& batch = GetParam();
    const auto start = PlanBatchStart(batch.path, batch.use);
    ASSERT_EQ(start.has_value(), batch.start.has_value());
    if (!start) return;
    EXPECT_EQ(start->folder, batch.start->folder);
    EXPECT_EQ(start->target, batch.start->target);
    EXPECT_EQ(CmdCommandLine(*start), batch.commandLine);
    // What cmd.exe runs once /s has taken the outer quotes off.
    EXPECT_EQ(QuotedCommand(*start), "\"" + batch.start->target + "\"");
}

constexpr FolderUse kWherePossible = FolderUse::OnCommandLineWherePossible;
constexpr FolderUse kInFolder = FolderUse::StartInFolder;

INSTANTIATE_TEST_SUITE_P(
    Paths, BatchCommandTest,
    ::testing::Values(
        BatchCase{"C:\\program files (x86)\\kelvo\\psion\\startget.BAT", kWherePossible,
                  BatchStart{"", "C:\\program files (x86)\\kelvo\\psion\\startget.BAT"},
                  "cmd.exe /d /e:ON /v:OFF /s /c \"\"C:\\program files (x86)\\kelvo\\psion\\"
                  "startget.BAT\"\""},
        // Blanks, &, ^, parentheses and ! stay inside the quotes.
        BatchCase{"C:\\a & b ^ (c) !d!\\startsend.bat", kWherePossible,
                  BatchStart{"", "C:\\a & b ^ (c) !d!\\startsend.bat"},
                  "cmd.exe /d /e:ON /v:OFF /s /c \"\"C:\\a & b ^ (c) !d!\\startsend.bat\"\""},
        // % would be expanded even inside quotes: started in the folder, by name.
        BatchCase{"C:\\units %OS%\\kelvo\\startget.BAT", kWherePossible,
                  BatchStart{"C:\\units %OS%\\kelvo\\", ".\\startget.BAT"},
                  "cmd.exe /d /e:ON /v:OFF /s /c \"\".\\startget.BAT\"\""},
        BatchCase{"/root/.wine/dosdevices/c:/x/startsend.bat", kInFolder,
                  BatchStart{"/root/.wine/dosdevices/c:/x/", ".\\startsend.bat"},
                  "cmd.exe /d /e:ON /v:OFF /s /c \"\".\\startsend.bat\"\""},
        BatchCase{"C:\\a & b\\start & go.bat", kInFolder,
                  BatchStart{"C:\\a & b\\", ".\\start & go.bat"},
                  "cmd.exe /d /e:ON /v:OFF /s /c \"\".\\start & go.bat\"\""},
        BatchCase{"startget.BAT", kInFolder, BatchStart{"", ".\\startget.BAT"},
                  "cmd.exe /d /e:ON /v:OFF /s /c \"\".\\startget.BAT\"\""},
        // Cannot be passed to cmd.exe whole.
        BatchCase{"C:\\a\\start%OS%.bat", kWherePossible, std::nullopt, ""},
        BatchCase{"C:\\a\\start%OS%.bat", kInFolder, std::nullopt, ""},
        BatchCase{"C:\\a\" & md x & \"\\startget.BAT", kWherePossible, std::nullopt, ""},
        BatchCase{"C:\\a\" & md x & \"\\startget.BAT", kInFolder, std::nullopt, ""},
        BatchCase{"C:\\a\r\nmd x\\startget.BAT", kInFolder, std::nullopt, ""},
        BatchCase{"C:\\a\nmd x\\startget.BAT", kWherePossible, std::nullopt, ""},
        BatchCase{"C:\\a\\", kInFolder, std::nullopt, ""}));

}  // namespace
}  // namespace psion::common
