#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/ProcessLauncher.h"

namespace psion::testing {

// The real file, process and environment layers of the system the tests run
// on, so the logic tests work on real files, scripts and processes there.
std::unique_ptr<platform::FileSystem> MakeNativeFileSystem();
std::unique_ptr<platform::ProcessLauncher> MakeNativeProcessLauncher();
std::unique_ptr<platform::Environment> MakeNativeEnvironment();

// A folder as the logic spells a system path (or home drive) that points at it.
std::string AsSystemPath(const std::filesystem::path& folder);

}  // namespace psion::testing
