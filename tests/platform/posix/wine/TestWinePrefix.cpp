#include "platform/posix/wine/TestWinePrefix.h"

#include <dirent.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace psion::testing {

namespace fs = std::filesystem;

namespace {

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

void RunPrefixScript(const std::string& action, const fs::path& prefix) {
    const std::string command = Quoted(PSION_WINE_PREFIX_SCRIPT) + " " + action + " " +
                                Quoted(prefix.string()) + " >/dev/null 2>&1 </dev/null";
    if (std::system(command.c_str()) != 0) {
        throw std::runtime_error("cannot " + action + " the Wine prefix " + prefix.string());
    }
}

std::string ReadWhole(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

const fs::path& SharedWinePrefix() {
    static const fs::path prefix = [] {
        const fs::path path = PSION_TEST_WINEPREFIX;
        RunPrefixScript("create", path);  // does nothing once it is there
        return path;
    }();
    return prefix;
}

TwinWinePrefix::TwinWinePrefix() {
    const fs::path& shared = SharedWinePrefix();
    std::random_device random;
    path_ = shared.parent_path() / ("twin-prefix-" + std::to_string(random()));
    fs::create_directories(path_ / "dosdevices");
    fs::create_directory_symlink(shared / "drive_c", path_ / "drive_c");
    fs::create_directory_symlink("../drive_c", path_ / "dosdevices" / "c:");
    for (const char* file : {"system.reg", "user.reg", "userdef.reg", ".update-timestamp"}) {
        if (fs::exists(shared / file)) fs::copy_file(shared / file, path_ / file);
    }
}

TwinWinePrefix::~TwinWinePrefix() {
    try {
        RunPrefixScript("remove", path_);
    } catch (...) {
    }
}

// A wineserver is told apart by the prefix the launcher gave it in its environment.
bool TwinWinePrefix::ServerRuns() const {
    const std::string wanted = "WINEPREFIX=" + path_.string();
    DIR* processes = ::opendir("/proc");
    if (processes == nullptr) return false;
    bool found = false;
    while (const dirent* entry = ::readdir(processes)) {
        const std::string id = entry->d_name;
        if (id.find_first_not_of("0123456789") != std::string::npos) continue;
        if (ReadWhole(fs::path("/proc") / id / "comm").rfind("wineserver", 0) != 0) continue;
        const std::string environment = ReadWhole(fs::path("/proc") / id / "environ");
        for (std::size_t at = 0; at < environment.size();) {
            const std::size_t end = environment.find('\0', at);
            if (environment.compare(at, end - at, wanted) == 0) found = true;
            if (end == std::string::npos) break;
            at = end + 1;
        }
    }
    ::closedir(processes);
    return found;
}

}  // namespace psion::testing
