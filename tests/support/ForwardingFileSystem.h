#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
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
    // The real set, whose checks and reads pass through the two hooks below.
    platform::BegunChanges BeginChanges(const std::string& folderPath) override;

  protected:
    platform::FileSystem& Real() const { return real_; }
    // For a file of a set of changes; path is its folder's path and its name.
    virtual bool IsFileIn(const platform::FolderChanges& real, std::string_view name,
                          const std::string& /*path*/) const {
        return real.IsFile(name);
    }
    virtual platform::OpenedFile OpenForReadingIn(const platform::FolderChanges& real,
                                                  std::string_view name,
                                                  const std::string& /*path*/) const {
        return real.OpenForReading(name);
    }

  private:
    class Changes;
    platform::FileSystem& real_;
};

class ForwardingFileSystem::Changes : public platform::FolderChanges {
  public:
    Changes(const ForwardingFileSystem& files, std::unique_ptr<platform::FolderChanges> real,
            std::string folderPath)
        : files_(files), real_(std::move(real)), folderPath_(std::move(folderPath)) {}

    bool IsFile(std::string_view name) const override {
        return files_.IsFileIn(*real_, name, PathOf(name));
    }
    platform::OpenedFile OpenForReading(std::string_view name) const override {
        return files_.OpenForReadingIn(*real_, name, PathOf(name));
    }
    std::optional<platform::FileError> Prepare(std::string_view name,
                                               const platform::ContentWriter& write) override {
        return real_->Prepare(name, write);
    }
    platform::PlacedFiles PutInPlace() override { return real_->PutInPlace(); }

  private:
    std::string PathOf(std::string_view name) const {
        return folderPath_ + "\\" + std::string(name);
    }
    const ForwardingFileSystem& files_;
    std::unique_ptr<platform::FolderChanges> real_;
    std::string folderPath_;
};

inline platform::BegunChanges ForwardingFileSystem::BeginChanges(const std::string& folderPath) {
    platform::BegunChanges begun = real_.BeginChanges(folderPath);
    if (begun.changes) {
        begun.changes = std::make_unique<Changes>(*this, std::move(begun.changes), folderPath);
    }
    return begun;
}

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
        return ChangeIfChecked(Real().IsFile(path), path);
    }

  protected:
    bool IsFileIn(const platform::FolderChanges& real, std::string_view name,
                  const std::string& path) const override {
        return ChangeIfChecked(real.IsFile(name), path);
    }

  private:
    bool ChangeIfChecked(bool exists, const std::string& path) const {
        if (exists && change_ && path.ends_with(pathEnding_)) std::exchange(change_, nullptr)();
        return exists;
    }
    std::string pathEnding_;
    mutable std::function<void()> change_;
};

}  // namespace psion::testing
