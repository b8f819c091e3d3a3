#include "unitfiles/LineReader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace psion::unitfiles {

LineReader::LineReader(platform::FileReader& source, std::size_t bufferSize)
    : source_(source),
      buffer_(std::make_unique_for_overwrite<char[]>(std::max<std::size_t>(bufferSize, 1))),
      capacity_(std::max<std::size_t>(bufferSize, 1)) {}

namespace {

// Whether any of the eight bytes there is a CR or an LF.
bool HoldsLineEnd(const char* bytes) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kHighs = 0x8080808080808080u;
    std::uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    const std::uint64_t cr = word ^ (kOnes * '\r');
    const std::uint64_t lf = word ^ (kOnes * '\n');
    // A byte of x is zero exactly where (x - 1) borrows into its high bit while x's is clear.
    return (((cr - kOnes) & ~cr) | ((lf - kOnes) & ~lf)) & kHighs;
}

}  // namespace

std::size_t LineReader::FindFrom(char wanted, std::size_t from) const {
    const void* found = std::memchr(buffer_.get() + from, wanted, end_ - from);
    return found == nullptr
               ? end_
               : static_cast<std::size_t>(static_cast<const char*>(found) - buffer_.get());
}

bool LineReader::Refill() {
    const auto read = source_.Read({buffer_.get(), capacity_});
    if (read.error) {
        error_ = read.error;
        atEnd_ = true;
        return false;
    }
    if (read.count == 0) {
        atEnd_ = true;
        return false;
    }
    pos_ = 0;
    end_ = read.count;
    nextTextKnown_ = false;
    if (skipNextLf_ && buffer_[0] == '\n') pos_ = 1;
    skipNextLf_ = false;
    nextCr_ = FindFrom('\r', pos_);
    nextLf_ = FindFrom('\n', pos_);
    return true;
}

bool LineReader::Next(LinePiece& piece) {
    while (pos_ == end_) {
        if (atEnd_ || !Refill()) {
            if (error_ || !lineOpen_) return false;
            // The last line has no line end of its own.
            lineOpen_ = false;
            piece = {std::string_view(buffer_.get(), 0), true};
            return true;
        }
    }
    std::size_t stop = pos_;
    if (buffer_[pos_] != '\r' && buffer_[pos_] != '\n') {  // an empty line needs no search
        if (nextCr_ < pos_) nextCr_ = FindFrom('\r', pos_);
        if (nextLf_ < pos_) nextLf_ = FindFrom('\n', pos_);
        stop = std::min(nextCr_, nextLf_);
    }
    piece.bytes = {buffer_.get() + pos_, stop - pos_};
    if (stop == end_) {
        piece.endsLine = false;
        lineOpen_ = true;
        pos_ = end_;
        return true;
    }
    piece.endsLine = true;
    lineOpen_ = false;
    pos_ = stop + 1;
    if (buffer_[stop] == '\r') {
        if (pos_ == end_) {
            skipNextLf_ = true;
        } else if (buffer_[pos_] == '\n') {
            ++pos_;
        }
    }
    return true;
}

std::string_view LineReader::TakeCrLfLinesWithout(std::string_view text) {
    if (lineOpen_ || pos_ == end_) return {};
    const std::string_view rest(buffer_.get() + pos_, end_ - pos_);
    // Lines are taken up to the one that holds the text, or to the end of the
    // buffer. Where the text is found is kept, so that a file whose lines do not
    // qualify is not searched again for every line.
    if (!textSearch_) textSearch_.emplace(text.begin(), text.end());
    if (!nextTextKnown_ || nextText_ < pos_) {
        const auto found = (*textSearch_)(rest.begin(), rest.end()).first;
        nextText_ = pos_ + static_cast<std::size_t>(found - rest.begin());
        nextTextKnown_ = true;
    }
    const std::size_t textAt = nextText_ - pos_;
    // Each line must end in CR LF within the buffer, before the text starts,
    // and hold no other CR or LF. Eight bytes at a time are passed over while
    // they hold neither.
    std::size_t taken = 0;
    std::size_t at = 0;
    for (;;) {
        while (at + 8 <= textAt && !HoldsLineEnd(rest.data() + at)) at += 8;
        while (at < textAt && rest[at] != '\r' && rest[at] != '\n') ++at;
        if (at >= textAt || rest[at] != '\r' || at + 1 >= rest.size() || rest[at + 1] != '\n') {
            break;
        }
        at += 2;
        taken = at;
    }
    pos_ += taken;
    return rest.substr(0, taken);
}

bool LineReader::NextLine(std::string& line) {
    line.clear();
    LinePiece piece;
    while (Next(piece)) {
        line.append(piece.bytes);
        if (piece.endsLine) return true;
    }
    return false;
}

}  // namespace psion::unitfiles
