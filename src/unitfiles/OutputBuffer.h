#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/FileSystem.h"

namespace psion::unitfiles {

// Gathers small writes into large ones. Bytes written earlier can still be
// changed: in the buffer while they are there, in the file once they have left it.
class OutputBuffer {
  public:
    static constexpr std::size_t kDefaultCapacity = 256 * 1024;

    explicit OutputBuffer(platform::FileWriter& file, std::size_t capacity = kDefaultCapacity);

    std::optional<platform::FileError> Append(std::string_view bytes) {
        if (bytes.size() <= capacity_ - used_) {
            std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
            used_ += bytes.size();
            return std::nullopt;
        }
        return AppendInParts(bytes);
    }
    // Writes over bytes appended earlier, from that offset on; never past their end.
    std::optional<platform::FileError> Overwrite(std::uint64_t offset, std::string_view bytes);
    std::optional<platform::FileError> Flush();

    // How many bytes have been appended so far.
    std::uint64_t Size() const { return flushed_ + used_; }

  private:
    std::optional<platform::FileError> AppendInParts(std::string_view bytes);

    platform::FileWriter& file_;
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_;
    std::size_t used_ = 0;
    std::uint64_t flushed_ = 0;  // bytes already handed to the file
};

}  // namespace psion::unitfiles
