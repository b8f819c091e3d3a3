#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "platform/FileSystem.h"

namespace psion::testing {

// The real file layer, passed through; a test double overrides only what it changes.
class ForwardingFileSystem : public platform::FileSystem {
  public:
    explicit ForwardingFileSystem(platform::FileSystem& real) : real_(real) {}

    bool IsFile(const std::string& path) const override { return real_.IsFile(path); }
    platform::OpenedFile OpenForReading(const std::string& path) const override {
        return real_.OpenForReading(path);
    }
    platform::BegunChanges BeginChanges(const std::string& folderPath) override {
        return real_.BeginChanges(folderPath);
    }
    std::optional<platform::FileError> Replace(const std::string& path,
                                               const platform::ContentWriter& write) override {
        return real_.Replace(path, write);
    }

  protected:
    platform::FileSystem& Real() const { return real_; }

  private:
    platform::FileSystem& real_;
};

// The real file layer, except that a change is made once, right after the
// existence of a file whose path ends in the given name has been confirmed:
// what the caller opens next is no longer what it checked.
class ChangeAfterExistenceCheck : public ForwardingFileSystem {
  public:
    using ForwardingFileSystem::ForwardingFileSystem;

    void AfterCheck(std::string pathEnding, std::function<void()> change) {
        pathEnding_ = std::move(pathEnding);
        change_ = std::move(change);
    }

    bool IsFile(const std::string& path) const override {
        const bool exists = Real().IsFile(path);
        if (exists && change_ && path.ends_with(pathEnding_)) {
            std::exchange(change_, nullptr)();
        }
        return exists;
    }

  private:
    std::string pathEnding_;
    mutable std::function<void()> change_;
};

}  // namespace psion::testing
