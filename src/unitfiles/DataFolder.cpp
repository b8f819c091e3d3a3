#include "unitfiles/DataFolder.h"

namespace psion::unitfiles {

DataFolder::DataFolder(platform::FileSystem& files, const std::string& systemPath)
    : files_(files), systemPath_(systemPath) {}

std::string DataFolder::DataFilePath(std::string_view fileName) const {
    std::string path = systemPath_;
    path += "\\kelvo\\psion\\";
    path += fileName;
    return path;
}

bool DataFolder::FileExists(const std::string& path) const { return files_.IsFile(path); }

}  // namespace psion::unitfiles
