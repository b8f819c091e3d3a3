#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace psion::testing {

// A fresh folder under the system's temporary directory, removed with everything in it.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }

    // Creates the parent folders as needed and writes the bytes exactly.
    std::filesystem::path Write(std::string_view relative, std::string_view bytes) const;

  private:
    std::filesystem::path path_;
};

std::string ReadBytes(const std::filesystem::path& file);

// The names of what a folder holds, in sorted order.
std::vector<std::string> SortedNames(const std::filesystem::path& folder);

// Waits until the file exists; false when it has not appeared within the time limit.
bool WaitForFile(const std::filesystem::path& file,
                 std::chrono::milliseconds limit = std::chrono::seconds(10));

}  // namespace psion::testing
