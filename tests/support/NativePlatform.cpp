#include "support/NativePlatform.h"

#include "platform/posix/PosixEnvironment.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixProcessLauncher.h"

namespace psion::testing {

std::unique_ptr<platform::FileSystem> MakeNativeFileSystem() {
    return std::make_unique<posix::PosixFileSystem>();
}

std::unique_ptr<platform::ProcessLauncher> MakeNativeProcessLauncher() {
    return std::make_unique<posix::PosixProcessLauncher>();
}

std::unique_ptr<platform::Environment> MakeNativeEnvironment() {
    return std::make_unique<posix::PosixEnvironment>();
}

// An absolute POSIX folder serves as a home drive as it is.
std::string AsSystemPath(const std::filesystem::path& folder) { return folder.string(); }

}  // namespace psion::testing
