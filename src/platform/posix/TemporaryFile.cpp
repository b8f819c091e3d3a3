#include "platform/posix/TemporaryFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <random>

namespace psion::posix {

TemporaryFile::TemporaryFile(std::string folder, std::string fileName)
    : folder_(std::move(folder)), fileName_(std::move(fileName)) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = NextName();
        // A new file gets the usual permissions less the umask, like any created file.
        fd_ = Descriptor(
            ::open(PathOf(name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666));
        if (fd_.Valid()) {
            name_ = name;
            return;
        }
        if (errno != EEXIST) break;
    }
    creationError_ = errno;
}

TemporaryFile::~TemporaryFile() {
    if (!name_.empty()) ::unlink(PathOf(name_).c_str());
}

std::string TemporaryFile::NextName() const {
    static std::mt19937_64 random{std::random_device{}()};
    return "." + fileName_ + ".tmp-" + std::to_string(random() % 1000000000);
}

int TemporaryFile::MoveOver(const std::string& target) {
    if (!fd_.Close()) return errno;
    if (::rename(PathOf(name_).c_str(), target.c_str()) != 0) return errno;
    name_.clear();
    return 0;
}

}  // namespace psion::posix
