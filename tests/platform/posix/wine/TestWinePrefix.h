#pragma once

#include <filesystem>
#include <string>

namespace psion::testing {

// The Wine prefix of this test run, made once (scripts/wine-prefix.sh)
// and shared by the test programs; throws when it cannot be made.
const std::filesystem::path& SharedWinePrefix();

// A second prefix whose drive C: is the shared prefix's, so it costs nothing
// to make, but which has a Wine server of its own: none runs when it is
// made. Its server is ended, and the prefix removed, with the object.
class TwinWinePrefix {
  public:
    TwinWinePrefix();
    ~TwinWinePrefix();
    TwinWinePrefix(const TwinWinePrefix&) = delete;
    TwinWinePrefix& operator=(const TwinWinePrefix&) = delete;

    const std::filesystem::path& Path() const { return path_; }

    // True while a wineserver of this prefix runs.
    bool ServerRuns() const;

  private:
    std::filesystem::path path_;
};

}  // namespace psion::testing
