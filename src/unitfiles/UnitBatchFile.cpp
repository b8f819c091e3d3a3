#include "unitfiles/UnitBatchFile.h"

#include <array>
#include <new>
#include <vector>

#include "unitfiles/LineReader.h"
#include "unitfiles/OutOfMemory.h"
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

// The status needs lines 3 and 4 of the file. Lines 1 and 2 are passed over
// piece by piece, whatever their length, and of lines 3 and 4 no more than
// this many bytes are kept, so that no absurdly long line can make the status
// refresh slow or large: a line that goes on past it is cut there, and a line
// that starts beyond it reads as missing. Files this tool writes are under a
// hundred bytes, and a status label shows far fewer characters than this.
constexpr std::size_t kStatusReadLimit = 64 * 1024;
constexpr std::size_t kStatusBufferSize = 4 * 1024;

void TakeStatusLine(std::size_t index, const std::string& line, UnitStatus& status) {
    if (index == kRemLine && line.size() > kRemPrefixLength) {
        status.readerType = line.substr(kRemPrefixLength);
    }
    if (index == kLinkLine) status.destination = line;
}

// Missing lines of a short file read as empty text; a read that fails leaves both texts empty.
void ReadStatusLines(platform::FileReader& file, UnitStatus& status) {
    LineReader lines(file, kStatusBufferSize);
    std::size_t index = 0;
    std::size_t left = kStatusReadLimit;
    std::string line;
    LinePiece piece;
    while (index <= kLinkLine && left > 0 && lines.Next(piece)) {
        if (index >= kRemLine) {
            const std::string_view kept = piece.bytes.substr(0, left);
            line.append(kept);
            left -= kept.size();
        }
        if (piece.endsLine || left == 0) TakeStatusLine(index, line, status);
        if (piece.endsLine) {
            line.clear();
            ++index;
        }
    }
    if (lines.Error()) {
        status.readerType.clear();
        status.destination.clear();
    }
}

// The whole file from the unit type table.
std::string UnitBatchText(int unitTypeIndex, int destinationIndex) {
    std::vector<std::string> lines{"setdef am5", "setdef ab2"};
    if (InRange(unitTypeIndex, kUnitTypes.size())) {
        const UnitType& row = kUnitTypes[static_cast<std::size_t>(unitTypeIndex)];
        lines.emplace_back(row.remLine);
        if (InRange(destinationIndex, row.linkLines.size())) {
            lines.emplace_back(row.linkLines[static_cast<std::size_t>(destinationIndex)]);
        }
    }
    lines.emplace_back("pdc");
    return JoinLines(lines);
}

}  // namespace

UnitStatus ReadUnitStatus(const DataFolder& folder) {
    UnitStatus status;
    try {
        const std::string path = folder.DataFilePath(kUnitBatchFile);
        if (!folder.FileExists(path)) return {};
        status.found = true;
        const auto opened = folder.Files().OpenForReading(path);
        // A file that exists but cannot be read still counts as found, with no texts.
        if (opened.error) return status;
        ReadStatusLines(*opened.reader, status);
    } catch (const std::bad_alloc&) {
        status.readerType.clear();
        status.destination.clear();
    }
    return status;
}

std::optional<platform::FileError> WriteUnitBatchFile(platform::FolderChanges& changes,
                                                      int unitTypeIndex, int destinationIndex) {
    try {
        const std::string text = UnitBatchText(unitTypeIndex, destinationIndex);
        return changes.Prepare(kUnitBatchFile,
                               [&text](platform::FileWriter& file) { return file.Write(text); });
    } catch (const std::bad_alloc&) {
        return OutOfMemory(std::string(kUnitBatchFile));
    }
}

}  // namespace psion::unitfiles
