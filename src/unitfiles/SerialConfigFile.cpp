#include "unitfiles/SerialConfigFile.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

#include "common/AsciiCase.h"
#include "unitfiles/LineReader.h"
#include "unitfiles/OutOfMemory.h"
#include "unitfiles/OutputBuffer.h"
#include "unitfiles/SerialLinePatcher.h"

namespace psion::unitfiles {

namespace {

constexpr std::string_view kPortLineStart = "SERIAL1";  // compared ignoring letter case
constexpr std::size_t kPortLength = 4;

// Only a line's first seven and last four bytes decide its port, so that much
// is kept of each line, however long it is.
class PortLineScan {
  public:
    void Add(std::string_view bytes) {
        if (headLength_ < head_.size()) {
            const std::size_t count = std::min(head_.size() - headLength_, bytes.size());
            std::memcpy(head_.data() + headLength_, bytes.data(), count);
            headLength_ += count;
        }
        if (bytes.size() >= tail_.size()) {
            std::memcpy(tail_.data(), bytes.data() + bytes.size() - tail_.size(), tail_.size());
            tailLength_ = tail_.size();
            return;
        }
        const std::size_t total = tailLength_ + bytes.size();
        if (total > tail_.size()) {
            const std::size_t drop = total - tail_.size();
            std::memmove(tail_.data(), tail_.data() + drop, tailLength_ - drop);
            tailLength_ -= drop;
        }
        std::memcpy(tail_.data() + tailLength_, bytes.data(), bytes.size());
        tailLength_ += bytes.size();
    }
    // A port line has at least seven characters, so its last four are all there.
    bool IsPortLine() const {
        return headLength_ == head_.size() &&
               common::EqualIgnoringAsciiCase(std::string_view(head_.data(), head_.size()),
                                              kPortLineStart);
    }
    std::string Tail() const { return std::string(tail_.data(), tailLength_); }
    void Reset() {
        headLength_ = 0;
        tailLength_ = 0;
    }

  private:
    std::array<char, kPortLineStart.size()> head_{};
    std::size_t headLength_ = 0;
    std::array<char, kPortLength> tail_{};
    std::size_t tailLength_ = 0;
};

std::string ReadPortFrom(platform::FileReader& file) {
    LineReader lines(file);
    PortLineScan scan;
    std::string port;
    LinePiece piece;
    while (lines.Next(piece)) {
        scan.Add(piece.bytes);
        if (!piece.endsLine) continue;
        // The last port line of the file wins; its letter case is kept.
        if (scan.IsPortLine()) port = scan.Tail();
        scan.Reset();
    }
    return lines.Error() ? std::string() : port;
}

std::optional<platform::FileError> CopyPatched(platform::FileReader& file,
                                               platform::FileWriter& replacement,
                                               std::string upperPort) {
    LineReader lines(file);
    OutputBuffer out(replacement);
    SerialLinePatcher patcher(out, std::move(upperPort));
    LinePiece piece;
    std::optional<platform::FileError> error;
    for (;;) {
        // Most lines stay as they are; they are copied a buffer at a time.
        if (patcher.CopyUnchangedLines(lines, error)) {
            if (error) return error;
            continue;
        }
        if (!lines.Next(piece)) break;
        if ((error = patcher.Add(piece))) return error;
    }
    if (lines.Error()) return lines.Error();
    return out.Flush();
}

}  // namespace

std::string ReadCommPort(const DataFolder& folder) {
    try {
        const std::string path = folder.DataFilePath(kSendConfigFile);
        if (!folder.FileExists(path)) return {};
        const auto opened = folder.Files().OpenForReading(path);
        if (opened.error) return {};
        return ReadPortFrom(*opened.reader);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

std::optional<platform::FileError> PatchSerialPort(platform::FolderChanges& changes,
                                                   std::string_view fileName,
                                                   std::string_view portName) {
    try {
        if (!changes.IsFile(fileName)) return std::nullopt;
        const std::string upperPort = common::ToUpperAscii(portName);
        // The file is read while its replacement is written, one buffer at a time.
        return changes.Prepare(
            fileName, [&](platform::FileWriter& replacement) -> std::optional<platform::FileError> {
                const auto opened = changes.OpenForReading(fileName);
                if (opened.error) return opened.error;
                return CopyPatched(*opened.reader, replacement, upperPort);
            });
    } catch (const std::bad_alloc&) {
        return OutOfMemory(std::string(fileName));
    }
}

}  // namespace psion::unitfiles
