#include "unitfiles/UnitBatchFile.h"

#include <array>
#include <vector>

#include "unitfiles/TextLines.h"

namespace psion::unitfiles {

namespace {

struct UnitType {
    const char* remLine;
    std::array<const char*, 3> linkLines;  // by destination index
};

// Rows by unit type index, as the setup's unit type list orders them.
constexpr std::array<UnitType, 4> kUnitTypes{{
    {"rem MX Version", {"link -sTTY:A", "link -sTTY:B", "link -sTTY:C"}},
    {"rem 1Meg Version", {"link -sTTY:A -b19200", "link -sTTY:B -b19200", "link -sTTY:C -b19200"}},
    {"rem 256k Version", {"link -sTTY:A -b19200", "link -sTTY:B -b19200", "link -sTTY:C -b19200"}},
    {"rem OLD 256k Version", {"link -b19200 -P1", "link -b19200 -P2", "link -b19200 -P3"}},
}};

constexpr std::size_t kRemLine = 2;
constexpr std::size_t kLinkLine = 3;
constexpr std::size_t kRemPrefixLength = 4;  // "rem " as this tool writes it

bool InRange(int index, std::size_t size) {
    return index >= 0 && static_cast<std::size_t>(index) < size;
}

}  // namespace

UnitStatus ReadUnitStatus(const DataFolder& folder) {
    const std::string path = folder.DataFilePath(kUnitBatchFile);
    if (!folder.FileExists(path)) return {};

    UnitStatus status;
    status.found = true;
    const auto read = folder.Files().ReadAll(path);
    // A file that exists but cannot be read still counts as found, with no texts.
    if (read.error) return status;

    // Missing lines of a short file read as empty text.
    const auto lines = SplitLines(read.bytes);
    if (lines.size() > kRemLine && lines[kRemLine].size() > kRemPrefixLength) {
        status.readerType = lines[kRemLine].substr(kRemPrefixLength);
    }
    if (lines.size() > kLinkLine) status.destination = lines[kLinkLine];
    return status;
}

std::optional<platform::FileError> WriteUnitBatchFile(const DataFolder& folder, int unitTypeIndex,
                                                      int destinationIndex) {
    std::vector<std::string> lines{"setdef am5", "setdef ab2"};
    if (InRange(unitTypeIndex, kUnitTypes.size())) {
        const UnitType& row = kUnitTypes[static_cast<std::size_t>(unitTypeIndex)];
        lines.emplace_back(row.remLine);
        if (InRange(destinationIndex, row.linkLines.size())) {
            lines.emplace_back(row.linkLines[static_cast<std::size_t>(destinationIndex)]);
        }
    }
    lines.emplace_back("pdc");
    return folder.Files().ReplaceAll(folder.DataFilePath(kUnitBatchFile), JoinLines(lines));
}

}  // namespace psion::unitfiles
