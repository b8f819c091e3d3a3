#include "support/NativePlatform.h"

#ifdef _WIN32
#include "platform/win32/Win32Environment.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32ProcessLauncher.h"
#include "platform/win32/Win32Text.h"
#else
#include "platform/posix/PosixEnvironment.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixProcessLauncher.h"
#endif

namespace psion::testing {

#ifdef _WIN32

std::unique_ptr<platform::FileSystem> MakeNativeFileSystem() {
    return std::make_unique<win32::Win32FileSystem>();
}

std::unique_ptr<platform::ProcessLauncher> MakeNativeProcessLauncher() {
    return std::make_unique<win32::Win32ProcessLauncher>();
}

std::unique_ptr<platform::Environment> MakeNativeEnvironment() {
    return std::make_unique<win32::Win32Environment>();
}

// A folder's own Windows path, in the ANSI code page the logic's texts use.
std::string AsSystemPath(const std::filesystem::path& folder) {
    return win32::FromWide(folder.wstring());
}

#else

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

#endif

}  // namespace psion::testing
