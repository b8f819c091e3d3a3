#include "unitfiles/UnitBatchFile.h"

#include <algorithm>
#include <array>
#include <new>
#include <span>
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

// The status needs four short lines at the start of the file. Reading stops
// after this many bytes, so that neither a long file nor an absurdly long line
// can make the status refresh slow or large: a line that goes on past it is
// cut there, and lines that start beyond it read as missing. Files this tool
// writes are under a hundred bytes, and a status label shows far fewer
// characters than this.
constexpr std::size_t kStatusReadLimit = 64 * 1024;
constexpr std::size_t kStatusBufferSize = 4 * 1024;

// Hands out no more than the first bytes of a file, as if it ended there.
class PrefixReader : public platform::FileReader {
  public:
    PrefixReader(platform::FileReader& file, std::size_t limit) : file_(file), left_(limit) {}
    platform::ReadResult Read(std::span<char> buffer) override {
        if (left_ == 0) return {};
        auto result = file_.Read(buffer.first(std::min(buffer.size(), left_)));
        left_ -= result.count;
        return result;
    }

  private:
    platform::FileReader& file_;
    std::size_t left_;
};

// Missing lines of a short file read as empty text; a read that fails leaves both texts empty.
void ReadStatusLines(platform::FileReader& file, UnitStatus& status) {
    PrefixReader prefix(file, kStatusReadLimit);
    LineReader lines(prefix, kStatusBufferSize);
    std::string line;
    for (std::size_t index = 0; index <= kLinkLine && lines.NextLine(line); ++index) {
        if (index == kRemLine && line.size() > kRemPrefixLength) {
            status.readerType = line.substr(kRemPrefixLength);
        }
        if (index == kLinkLine) status.destination = line;
    }
    if (lines.Error()) {
        status.readerType.clear();
        status.destination.clear();
    }
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

std::optional<platform::FileError> WriteUnitBatchFile(const DataFolder& folder, int unitTypeIndex,
                                                      int destinationIndex) {
    const std::string path = folder.DataFilePath(kUnitBatchFile);
    try {
        std::vector<std::string> lines{"setdef am5", "setdef ab2"};
        if (InRange(unitTypeIndex, kUnitTypes.size())) {
            const UnitType& row = kUnitTypes[static_cast<std::size_t>(unitTypeIndex)];
            lines.emplace_back(row.remLine);
            if (InRange(destinationIndex, row.linkLines.size())) {
                lines.emplace_back(row.linkLines[static_cast<std::size_t>(destinationIndex)]);
            }
        }
        lines.emplace_back("pdc");
        return folder.Files().ReplaceAll(path, JoinLines(lines));
    } catch (const std::bad_alloc&) {
        return OutOfMemory(path);
    }
}

}  // namespace psion::unitfiles
