#pragma once

#include <sys/resource.h>

#include <cstddef>

namespace psion::testing {

// Makes every write beyond that many bytes of any one file fail with "File too
// large" while it lives. Unlike permissions, this holds for root as well, so
// tests use it to make a file write fail half-way. The write fails, rather than
// ending the process, only because the program's start-up routine has run.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(std::size_t maxBytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit previous_{};
};

}  // namespace psion::testing
