#include "unitfiles/SerialLinePatcher.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace psion::unitfiles {

namespace {

constexpr std::string_view kSerialLineMark = "serial1=directserial";  // compared exactly
constexpr std::string_view kLineEnd = "\r\n";

}  // namespace

PieceSearch::PieceSearch(std::string_view text) : text_(text) {}

void PieceSearch::Add(std::string_view piece, bool moreFollows) {
    if (found_) return;
    const std::size_t keep = text_.size() - 1;
    if (tailLength_ > 0) {
        // An occurrence that starts in the kept tail and ends in this piece.
        std::array<char, 2 * kMaxTextLength> joined;
        const std::size_t head = std::min(piece.size(), keep);
        std::memcpy(joined.data(), tail_.data(), tailLength_);
        std::memcpy(joined.data() + tailLength_, piece.data(), head);
        if (std::string_view(joined.data(), tailLength_ + head).find(text_) !=
            std::string_view::npos) {
            found_ = true;
            return;
        }
    }
    if (piece.find(text_) != std::string_view::npos) {
        found_ = true;
        return;
    }
    if (!moreFollows) return;
    // Keep the last bytes of the line so far, which the next piece may complete.
    if (piece.size() >= keep) {
        std::memcpy(tail_.data(), piece.data() + piece.size() - keep, keep);
        tailLength_ = keep;
        return;
    }
    const std::size_t total = tailLength_ + piece.size();
    if (total > keep) {
        const std::size_t drop = total - keep;
        std::memmove(tail_.data(), tail_.data() + drop, tailLength_ - drop);
        tailLength_ -= drop;
    }
    std::memcpy(tail_.data() + tailLength_, piece.data(), piece.size());
    tailLength_ += piece.size();
}

void PieceSearch::Reset() {
    tailLength_ = 0;
    found_ = false;
}

SerialLinePatcher::SerialLinePatcher(OutputBuffer& out, std::string upperPort)
    : out_(out), upperPort_(std::move(upperPort)), serialMark_(kSerialLineMark) {}

std::optional<platform::FileError> SerialLinePatcher::Add(const LinePiece& piece) {
    if (!fieldStart_) {
        const auto colon = piece.bytes.find(':');
        if (colon != std::string_view::npos) fieldStart_ = out_.Size() + colon + 1;
    }
    serialMark_.Add(piece.bytes, !piece.endsLine);
    if (auto error = out_.Append(piece.bytes)) return error;
    return piece.endsLine ? EndLine() : std::nullopt;
}

bool SerialLinePatcher::CopyUnchangedLines(LineReader& lines,
                                           std::optional<platform::FileError>& error) {
    const std::string_view unchanged = lines.TakeCrLfLinesWithout(kSerialLineMark);
    if (unchanged.empty()) return false;
    error = out_.Append(unchanged);
    return true;
}

// Overwrites the characters after the first colon, one for one, without
// changing the line's length. A line with no port field stays as it is.
std::optional<platform::FileError> SerialLinePatcher::EndLine() {
    if (serialMark_.Found() && fieldStart_) {
        const std::uint64_t fieldLength = out_.Size() - *fieldStart_;
        const auto count =
            static_cast<std::size_t>(std::min<std::uint64_t>(upperPort_.size(), fieldLength));
        if (count > 0) {
            if (auto error =
                    out_.Overwrite(*fieldStart_, std::string_view(upperPort_).substr(0, count))) {
                return error;
            }
        }
    }
    serialMark_.Reset();
    fieldStart_.reset();
    return out_.Append(kLineEnd);
}

}  // namespace psion::unitfiles
