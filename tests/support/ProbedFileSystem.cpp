#include "support/ProbedFileSystem.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace psion::testing {

namespace {

class ProbedReader : public platform::FileReader {
  public:
    ProbedReader(std::unique_ptr<platform::FileReader> real, std::string path, std::size_t chunk,
                 ReadFault fault, std::shared_ptr<std::uint64_t> bytesRead)
        : real_(std::move(real)),
          path_(std::move(path)),
          chunk_(chunk),
          fault_(fault),
          bytesRead_(std::move(bytesRead)) {}

    platform::ReadResult Read(std::span<char> buffer) override {
        if (fault_ == ReadFault::OutOfMemory) throw std::bad_alloc();
        if (fault_ == ReadFault::Fails)
            return {0, platform::FileError{path_, "Input/output error"}};
        auto result = real_->Read(buffer.first(std::min(buffer.size(), chunk_)));
        *bytesRead_ += result.count;
        return result;
    }

  private:
    std::unique_ptr<platform::FileReader> real_;
    std::string path_;
    std::size_t chunk_;
    ReadFault fault_;
    std::shared_ptr<std::uint64_t> bytesRead_;
};

}  // namespace

platform::ReadResult BytesReader::Read(std::span<char> buffer) {
    const std::size_t count = std::min({buffer.size(), chunk_, bytes_.size() - pos_});
    std::memcpy(buffer.data(), bytes_.data() + pos_, count);
    pos_ += count;
    return {count, std::nullopt};
}

platform::OpenedFile ProbedFileSystem::OpenForReading(const std::string& path) const {
    return Probed(ForwardingFileSystem::OpenForReading(path), path);
}

platform::OpenedFile ProbedFileSystem::OpenForReadingIn(const platform::FolderChanges& real,
                                                        std::string_view name,
                                                        const std::string& path) const {
    return Probed(real.OpenForReading(name), path);
}

platform::OpenedFile ProbedFileSystem::Probed(platform::OpenedFile opened,
                                              const std::string& path) const {
    if (opened.error) return opened;
    return {
        std::make_unique<ProbedReader>(std::move(opened.reader), path, chunk, fault, bytesRead_),
        std::nullopt};
}

WholeFile ReadThrough(const platform::FileSystem& files, const std::string& path) {
    auto opened = files.OpenForReading(path);
    if (opened.error) return {{}, opened.error};
    WholeFile whole;
    char buffer[4096];
    for (;;) {
        const auto read = opened.reader->Read(buffer);
        if (read.error) return {{}, read.error};
        if (read.count == 0) return whole;
        whole.bytes.append(buffer, read.count);
    }
}

}  // namespace psion::testing
