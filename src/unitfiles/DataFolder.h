#pragma once

#include <string>
#include <string_view>

#include "platform/FileSystem.h"

namespace psion::unitfiles {

// Fixed names of the data folder's files, letter case as the callers use them.
inline constexpr std::string_view kUnitBatchFile = "autoexec.btf";
inline constexpr std::string_view kSendConfigFile = "s_psion.conf";
inline constexpr std::string_view kReceiveConfigFile = "r_psion.conf";
inline constexpr std::string_view kSendScriptTested = "startsend.BAT";
inline constexpr std::string_view kSendScriptStarted = "startsend.bat";
inline constexpr std::string_view kReceiveScript = "startget.BAT";

// The data folder under the selected system path. It reads the system path
// at every call, so a new path choice takes effect at once.
class DataFolder {
  public:
    DataFolder(platform::FileSystem& files, const std::string& systemPath);

    // System path + "\kelvo\psion\" + name, by plain concatenation.
    std::string DataFilePath(std::string_view fileName) const;
    bool FileExists(const std::string& path) const;

    platform::FileSystem& Files() const { return files_; }

  private:
    platform::FileSystem& files_;
    const std::string& systemPath_;
};

}  // namespace psion::unitfiles
