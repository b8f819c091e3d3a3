#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace psion::testing {

// The Wine prefix of this test run, made once (scripts/wine-prefix.sh)
// and shared by the test programs; throws when it cannot be made.
const std::filesystem::path& SharedWinePrefix();

// A second prefix whose drive C: is the shared prefix's, so it costs nothing
// to make, but which has a Wine server, a registry and Wine's devices of its
// own: none runs when it is made. Folders of drive C: named in `ownFolders`
// (such as "windows/syswow64") are its own, empty, while all else is the
// shared prefix's. Its server is ended, and the prefix removed, with the object.
class TwinWinePrefix {
  public:
    explicit TwinWinePrefix(const std::vector<std::string>& ownFolders = {});
    ~TwinWinePrefix();
    TwinWinePrefix(const TwinWinePrefix&) = delete;
    TwinWinePrefix& operator=(const TwinWinePrefix&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path DriveC() const { return path_ / "drive_c"; }

    // Runs a shell command with WINEPREFIX set to this prefix; true when it succeeded.
    bool Run(const std::string& command) const;

    // Maps the COM port to that device as the README says: Wine's Ports
    // value, its server ended, and a Wine start that shows the link made;
    // false when the link never leads to the device.
    bool MapComPort(const std::string& port, const std::string& device) const;

    // True while a wineserver of this prefix runs.
    bool ServerRuns() const;

  private:
    std::filesystem::path path_;
};

}  // namespace psion::testing
