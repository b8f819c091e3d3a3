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
    std::size_t taken = 0;
    for (;;) {
        if (nextCr_ < pos_ + taken) nextCr_ = FindFrom('\r', pos_ + taken);
        if (nextLf_ < pos_ + taken) nextLf_ = FindFrom('\n', pos_ + taken);
        const std::size_t cr = nextCr_ - pos_;
        // The line must end in CR LF within the buffer, before the text starts,
        // with no LF of its own before the CR.
        if (cr >= textAt || cr + 1 >= rest.size() || rest[cr + 1] != '\n' ||
            nextLf_ - pos_ != cr + 1) {
            break;
        }
        taken = cr + 2;
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
