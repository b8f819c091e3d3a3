#include "unitfiles/LineReader.h"

#include <algorithm>
#include <cstring>

namespace psion::unitfiles {

LineReader::LineReader(platform::FileReader& source, std::size_t bufferSize)
    : source_(source),
      buffer_(std::make_unique_for_overwrite<char[]>(std::max<std::size_t>(bufferSize, 1))),
      capacity_(std::max<std::size_t>(bufferSize, 1)) {}

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
