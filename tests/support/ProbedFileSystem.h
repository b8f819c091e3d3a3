#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"
#include "support/ForwardingFileSystem.h"

namespace psion::testing {

// Hands out bytes held in memory, at most `chunk` of them per read.
class BytesReader : public platform::FileReader {
  public:
    explicit BytesReader(std::string bytes,
                         std::size_t chunk = std::numeric_limits<std::size_t>::max())
        : bytes_(std::move(bytes)), chunk_(chunk) {}
    platform::ReadResult Read(std::span<char> buffer) override;

  private:
    std::string bytes_;
    std::size_t chunk_;
    std::size_t pos_ = 0;
};

enum class ReadFault {
    None,
    Fails,        // every read fails as a damaged disk would
    OutOfMemory,  // every read throws std::bad_alloc
};

// The real file layer, seen through readers that hand out at most `chunk`
// bytes per read, or fail as `fault` says. It counts what passes through.
class ProbedFileSystem : public ForwardingFileSystem {
  public:
    using ForwardingFileSystem::ForwardingFileSystem;

    std::size_t chunk = std::numeric_limits<std::size_t>::max();
    ReadFault fault = ReadFault::None;

    std::uint64_t BytesRead() const { return *bytesRead_; }

    platform::OpenedFile OpenForReading(const std::string& path) const override;

  protected:
    platform::OpenedFile OpenForReadingIn(const platform::FolderChanges& real,
                                          std::string_view name,
                                          const std::string& path) const override;

  private:
    platform::OpenedFile Probed(platform::OpenedFile opened, const std::string& path) const;
    std::shared_ptr<std::uint64_t> bytesRead_ = std::make_shared<std::uint64_t>(0);
};

struct WholeFile {
    std::string bytes;
    std::optional<platform::FileError> error;
};

// Reads the whole file through the file layer.
WholeFile ReadThrough(const platform::FileSystem& files, const std::string& path);

}  // namespace psion::testing
