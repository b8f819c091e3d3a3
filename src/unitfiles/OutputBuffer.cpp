#include "unitfiles/OutputBuffer.h"

#include <algorithm>
#include <cstring>

namespace psion::unitfiles {

OutputBuffer::OutputBuffer(platform::FileWriter& file, std::size_t capacity)
    : file_(file),
      buffer_(std::make_unique_for_overwrite<char[]>(std::max<std::size_t>(capacity, 1))),
      capacity_(std::max<std::size_t>(capacity, 1)) {}

std::optional<platform::FileError> OutputBuffer::AppendInParts(std::string_view bytes) {
    while (!bytes.empty()) {
        if (used_ == capacity_) {
            if (auto error = Flush()) return error;
        }
        const std::size_t count = std::min(bytes.size(), capacity_ - used_);
        std::memcpy(buffer_.get() + used_, bytes.data(), count);
        used_ += count;
        bytes.remove_prefix(count);
    }
    return std::nullopt;
}

std::optional<platform::FileError> OutputBuffer::Overwrite(std::uint64_t offset,
                                                           std::string_view bytes) {
    if (offset < flushed_) {
        const auto inFile =
            static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size(), flushed_ - offset));
        if (auto error = file_.WriteAt(offset, bytes.substr(0, inFile))) return error;
        bytes.remove_prefix(inFile);
        offset += inFile;
    }
    if (!bytes.empty()) {
        std::memcpy(buffer_.get() + (offset - flushed_), bytes.data(), bytes.size());
    }
    return std::nullopt;
}

std::optional<platform::FileError> OutputBuffer::Flush() {
    if (used_ == 0) return std::nullopt;
    if (auto error = file_.Write({buffer_.get(), used_})) return error;
    flushed_ += used_;
    used_ = 0;
    return std::nullopt;
}

}  // namespace psion::unitfiles
