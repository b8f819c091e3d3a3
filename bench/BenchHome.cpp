#include "BenchHome.h"

#include <filesystem>
#include <system_error>

namespace psion::bench {

bool BenchHome::CreateDataFolder() const {
    std::error_code error;
    std::filesystem::create_directories(NativeDataFolder(), error);
    return !error;
}

}  // namespace psion::bench
