#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/headless/HeadlessWindow.h"
#include "setup/SetupDialog.h"
#include "support/ForwardingFileSystem.h"
#include "support/HeadlessProgram.h"
#include "unitfiles/DataFolder.h"

namespace psion::testing {

// A reader that finds no memory left for its work.
class OutOfMemoryReader : public platform::FileReader {
  public:
    platform::ReadResult Read(std::span<char>) override { throw std::bad_alloc(); }
};

// How a fault shows: a file refused while the Save prepares it, or one that
// cannot be put in place once all are prepared.
enum class WriteFault { WhilePreparing, WhilePuttingInPlace };

inline constexpr const char* kLockedFile = "The file is locked by another program";

// A set of changes of the real file layer with the faults of FaultyFileSystem.
class FaultyFolderChanges : public platform::FolderChanges {
  public:
    FaultyFolderChanges(std::unique_ptr<platform::FolderChanges> real,
                        std::optional<std::pair<std::string, WriteFault>> failing,
                        std::optional<std::string> outOfMemory,
                        std::function<std::shared_ptr<void>()> whilePuttingInPlace,
                        std::optional<std::filesystem::path> asideIn)
        : real_(std::move(real)),
          failing_(std::move(failing)),
          outOfMemory_(std::move(outOfMemory)),
          whilePuttingInPlace_(std::move(whilePuttingInPlace)),
          asideIn_(std::move(asideIn)) {}

    bool IsFile(std::string_view name) const override { return real_->IsFile(name); }
    platform::OpenedFile OpenForReading(std::string_view name) const override {
        auto opened = real_->OpenForReading(name);
        if (!opened.error && outOfMemory_ && name == *outOfMemory_) {
            opened.reader = std::make_unique<OutOfMemoryReader>();
        }
        return opened;
    }
    std::optional<platform::FileError> Prepare(std::string_view name,
                                               const platform::ContentWriter& write) override {
        if (failing_ && name == failing_->first) {
            if (failing_->second == WriteFault::WhilePreparing) {
                return platform::FileError{std::string(name), kLockedFile};
            }
            failedInPlace_ = std::string(name);
        }
        // From the file that will not go in place on, nothing more goes in place.
        if (failedInPlace_) return std::nullopt;
        return real_->Prepare(name, write);
    }
    platform::PlacedFiles PutInPlace() override {
        const std::shared_ptr<void> condition =
            whilePuttingInPlace_ ? whilePuttingInPlace_() : nullptr;
        auto placed = real_->PutInPlace();
        if (!placed.error && failedInPlace_) {
            placed.error = platform::FileError{*failedInPlace_, kLockedFile};
            if (asideIn_) {
                const auto aside = *asideIn_ / ("~" + *failedInPlace_ + ".aside");
                std::filesystem::rename(*asideIn_ / *failedInPlace_, aside);
                placed.damaged.push_back({*failedInPlace_, aside.string()});
            }
        }
        return placed;
    }

  private:
    std::unique_ptr<platform::FolderChanges> real_;
    std::optional<std::pair<std::string, WriteFault>> failing_;
    std::optional<std::string> outOfMemory_;
    std::function<std::shared_ptr<void>()> whilePuttingInPlace_;
    std::optional<std::filesystem::path> asideIn_;
    std::optional<std::string> failedInPlace_;
};

// The real file layer, except that the one file named by FailWritesTo fails
// the way a locked file would, before anything of it is written, and reading
// the one named by RunOutOfMemoryReading runs out of memory.
class FaultyFileSystem : public ForwardingFileSystem {
  public:
    using ForwardingFileSystem::ForwardingFileSystem;

    void FailWritesTo(std::string fileName, WriteFault when = WriteFault::WhilePreparing) {
        failing_ = std::make_pair(std::move(fileName), when);
    }
    void RunOutOfMemoryReading(std::string fileName) { outOfMemory_ = std::move(fileName); }
    // As FailWritesTo while putting in place, with the original moved aside in
    // its folder and left there, as Windows may leave a failed replacement.
    void FailLeavingTheOriginalAside(std::string fileName, std::filesystem::path folder) {
        FailWritesTo(std::move(fileName), WriteFault::WhilePuttingInPlace);
        asideIn_ = std::move(folder);
    }

    // Called each time a set of changes begins, before the folder is held.
    std::function<void()> beforeBegin;
    // Sets up a condition (a file-size limit, a file held open) that lasts while
    // the prepared files are put in place: as long as what it returns lives.
    std::function<std::shared_ptr<void>()> whilePuttingInPlace;

    platform::BegunChanges BeginChanges(const std::string& folderPath) override {
        if (beforeBegin) beforeBegin();
        auto begun = ForwardingFileSystem::BeginChanges(folderPath);
        if (begun.changes) {
            begun.changes = std::make_unique<FaultyFolderChanges>(
                std::move(begun.changes), failing_, outOfMemory_, whilePuttingInPlace, asideIn_);
        }
        return begun;
    }

  private:
    std::optional<std::pair<std::string, WriteFault>> failing_;
    std::optional<std::string> outOfMemory_;
    std::optional<std::filesystem::path> asideIn_;
};

// 7 March 2026; its code, worked out by hand in SetupCodeTest.cpp.
inline constexpr platform::CalendarDate kToday{2026, 3, 7};
inline constexpr const char* kTodaysCode = "AICGGLGOIMMR";

inline const platform::ControlRef kType{"cboType"};
inline const platform::ControlRef kDest{"cboDest"};
inline const platform::ControlRef kPort{"cboPort"};
inline const platform::ControlRef kText1{"Text1"};
inline const platform::ControlRef kText2{"Text2"};
inline const platform::ControlRef kSave{"Command1"};
inline const platform::ControlRef kCancel{"Command2"};

// A setup dialog over a real data folder in a temporary directory, shown in
// an in-memory window, in the program whose main window a test may start
// too. Its clock stands on kToday.
struct SetupDialogHarness : HeadlessProgram<FaultyFileSystem> {
    std::string systemPath = home + "\\program files (x86)";
    std::filesystem::path folder = temp.Path() / "program files (x86)" / "kelvo" / "psion";
    unitfiles::DataFolder dataFolder{files, systemPath};

    // How many messages had been shown at each refresh of the status panel.
    std::vector<std::size_t> refreshes;
    setup::SetupDialog dialog{platformParts, dataFolder,
                              [this] { refreshes.push_back(prompt.Shown().size()); }};
    std::unique_ptr<headless::HeadlessWindow> window;

    SetupDialogHarness() {
        clock.Set(kToday);
        std::filesystem::create_directories(folder);
    }

    // Opens the dialog as a binding does: built from its description, loaded,
    // focus on the first control that takes it.
    headless::HeadlessWindow& Open() {
        window = std::make_unique<headless::HeadlessWindow>(dialog.Description(), dialog.Routes());
        dialog.Load(*window);
        window->FocusFirstControl();
        return *window;
    }

    std::filesystem::path Write(std::string_view name, std::string_view bytes) const {
        return temp.Write(std::string("program files (x86)/kelvo/psion/") + std::string(name),
                          bytes);
    }
    std::string Read(std::string_view name) const { return ReadBytes(folder / name); }

    // Fills every entry of the open dialog as a user does.
    void Fill(int type, int dest, int port, const std::string& text1,
              const std::string& text2 = "") {
        if (type >= 0) window->Choose(kType, type);
        if (dest >= 0) window->Choose(kDest, dest);
        if (port >= 0) window->Choose(kPort, port);
        window->Type(kText1, text1);
        window->Type(kText2, text2);
    }

    const platform::PromptMessage& LastMessage() const { return prompt.Shown().back(); }
};

// A unit's files as they stand before a Save.
inline constexpr std::string_view kOldBatch =
    "setdef am5\r\nsetdef ab2\r\nrem MX Version\r\nlink -sTTY:A\r\npdc\r\nextra line\r\n";
inline constexpr std::string_view kOldSend =
    "# send\r\nserial1=directserial port:Com1 realport:none\r\nbaud=9600\r\n";
inline constexpr std::string_view kOldReceive = "serial1=directserial port:com6\r\nlog=off";

}  // namespace psion::testing
