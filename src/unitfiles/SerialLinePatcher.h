#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"
#include "unitfiles/LineReader.h"
#include "unitfiles/OutputBuffer.h"

namespace psion::unitfiles {

// Tells whether a fixed text occurs in a line that arrives in pieces, keeping
// no more of the line than the text's length.
class PieceSearch {
  public:
    static constexpr std::size_t kMaxTextLength = 32;

    explicit PieceSearch(std::string_view text);  // 1 to kMaxTextLength bytes

    // moreFollows: the line goes on after this piece.
    void Add(std::string_view piece, bool moreFollows);
    bool Found() const { return found_; }
    void Reset();

  private:
    std::string_view text_;
    std::array<char, kMaxTextLength> tail_{};  // the line's last text_.size() - 1 bytes
    std::size_t tailLength_ = 0;
    bool found_ = false;
};

// Copies a serial configuration file line by line, each line ended by CR LF,
// and writes the port name over the port field of every serial line. Whether
// a line is a serial line may only be known at its end, when its port field
// has already been copied; the field is then written over in place.
class SerialLinePatcher {
  public:
    SerialLinePatcher(OutputBuffer& out, std::string upperPort);

    std::optional<platform::FileError> Add(const LinePiece& piece);

    // Copies the lines at the reader's position that stay as they are (CR LF
    // lines that are no serial line) in one piece; false when there were none.
    bool CopyUnchangedLines(LineReader& lines, std::optional<platform::FileError>& error);

  private:
    std::optional<platform::FileError> EndLine();

    OutputBuffer& out_;
    std::string upperPort_;
    PieceSearch serialMark_;
    std::optional<std::uint64_t> fieldStart_;  // offset of the byte after the first colon
};

}  // namespace psion::unitfiles
