#pragma once

// The three unit files of a data folder, large, and sets of changes to them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/posix/PosixFileSystem.h"
#include "support/TempDir.h"

namespace psion::testing {

namespace fs = std::filesystem;

inline const std::vector<std::string> kUnitFiles = {"autoexec.btf", "s_psion.conf", "r_psion.conf"};
constexpr std::size_t kChunk = 64 << 10;
constexpr int kChunksPerFile = 64;  // 4 MiB files

inline const posix::TemporaryFiles kKinds[] = {posix::TemporaryFiles::UnnamedWhereSupported,
                                               posix::TemporaryFiles::Named};

inline const char* KindName(posix::TemporaryFiles kind) {
    return kind == posix::TemporaryFiles::Named ? "named" : "unnamed";
}

// The large old content of each unit file, different for each.
inline std::string OldBytes(std::size_t index) {
    return std::string(kChunk * kChunksPerFile / 2, static_cast<char>('a' + index));
}

inline std::string NewChunk(std::size_t index) {
    return std::string(kChunk, static_cast<char>('A' + index));
}

inline std::string NewBytes(std::size_t index) {
    return std::string(kChunk * kChunksPerFile, static_cast<char>('A' + index));
}

class FolderChangesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        data_ = temp_.Path() / "data";
        fs::create_directory(data_);
    }
    // The old files; the receive file also has a name outside the folder, so
    // that it is rewritten in place.
    void WriteOldFiles() {
        for (std::size_t i = 0; i < kUnitFiles.size(); ++i) {
            std::ofstream(data_ / kUnitFiles[i], std::ios::binary) << OldBytes(i);
        }
        fs::remove(SecondName());
        fs::create_hard_link(data_ / kUnitFiles[2], SecondName());
    }
    fs::path SecondName() const { return data_.parent_path() / "receive-too"; }
    std::vector<std::string> Names() const { return SortedNames(data_); }
    static std::vector<std::string> SortedUnitFiles() {
        auto names = kUnitFiles;
        std::sort(names.begin(), names.end());
        return names;
    }
    // "old", "new" or "mixed", from the bytes of the three files.
    std::string State() const {
        int old = 0;
        int fresh = 0;
        for (std::size_t i = 0; i < kUnitFiles.size(); ++i) {
            const std::string bytes = ReadBytes(data_ / kUnitFiles[i]);
            if (bytes == OldBytes(i)) ++old;
            if (bytes == NewBytes(i)) ++fresh;
        }
        if (ReadBytes(SecondName()) != ReadBytes(data_ / kUnitFiles[2])) {
            return "split";
        }
        return old == 3 ? "old" : fresh == 3 ? "new" : "mixed";
    }

    TempDir temp_;
    fs::path data_;
};

// Prepares the new content of one file in chunks, calling afterChunk(n) after
// the n-th chunk written in all.
inline std::optional<platform::FileError> PrepareOne(platform::FolderChanges& changes,
                                                     std::size_t index, int& written,
                                                     const std::function<void(int)>& afterChunk) {
    const std::string chunk = NewChunk(index);
    return changes.Prepare(kUnitFiles[index], [&](platform::FileWriter& out) {
        for (int c = 0; c < kChunksPerFile; ++c) {
            if (auto failed = out.Write(chunk)) return failed;
            afterChunk(++written);
        }
        return std::optional<platform::FileError>();
    });
}

inline std::optional<platform::FileError> PrepareAll(platform::FolderChanges& changes,
                                                     const std::function<void(int)>& afterChunk) {
    int written = 0;
    for (std::size_t i = 0; i < kUnitFiles.size(); ++i) {
        if (auto error = PrepareOne(changes, i, written, afterChunk)) return error;
    }
    return std::nullopt;
}

}  // namespace psion::testing
