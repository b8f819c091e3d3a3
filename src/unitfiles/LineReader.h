#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"

namespace psion::unitfiles {

// The next bytes of the current line. A line longer than the buffer comes in
// several pieces; the last piece of every line has endsLine set.
struct LinePiece {
    std::string_view bytes;
    bool endsLine = false;
};

// Splits a file into lines while it is read through a buffer of fixed size, so
// memory does not grow with the file or its lines. CR LF, a lone CR and a lone
// LF each end a line, also when CR and LF fall into two reads; a final line end
// yields no extra empty line, and an empty file has no lines. Bytes are kept
// exactly as they are.
class LineReader {
  public:
    static constexpr std::size_t kDefaultBufferSize = 256 * 1024;

    explicit LineReader(platform::FileReader& source, std::size_t bufferSize = kDefaultBufferSize);

    // False once no bytes are left, or when a read failed (see Error).
    bool Next(LinePiece& piece);

    // The whole next line, without its line end; false when there is none.
    bool NextLine(std::string& line);

    // At the start of a line, hands out as they are the complete lines already
    // in the buffer that each end in CR LF, hold no other CR or LF and do not
    // contain `text`, and moves past them; empty when there are none. This
    // spares a caller who changes only lines holding a text the work per line;
    // it passes the same text at every call, and the text outlives the reader.
    std::string_view TakeCrLfLinesWithout(std::string_view text);

    const std::optional<platform::FileError>& Error() const { return error_; }

  private:
    bool Refill();
    std::size_t FindFrom(char wanted, std::size_t from) const;

    platform::FileReader& source_;
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    std::size_t nextCr_ = 0;  // first CR at or after pos_, end_ when none
    std::size_t nextLf_ = 0;  // first LF at or after pos_, end_ when none
    bool atEnd_ = false;
    bool lineOpen_ = false;    // bytes of a line were handed out without its end
    bool skipNextLf_ = false;  // a read ended on CR, whose LF may start the next read
    // For TakeCrLfLinesWithout: a search that skips ahead, and where its text starts next.
    std::optional<std::boyer_moore_horspool_searcher<std::string_view::const_iterator>> textSearch_;
    std::size_t nextText_ = 0;
    bool nextTextKnown_ = false;  // whether nextText_ holds for this buffer
    std::optional<platform::FileError> error_;
};

}  // namespace psion::unitfiles
