#include "platform/posix/InPlaceRewrite.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/ByteCopy.h"

namespace psion::posix {

int RewriteInPlace(int target, int source) {
    struct stat info {};
    if (::fstat(source, &info) != 0) return errno;
    if (const int error = CopyBytes(source, target, info.st_size)) return error;
    if (::ftruncate(target, info.st_size) != 0) return errno;
    if (::fdatasync(target) != 0) return errno;
    return 0;
}

}  // namespace psion::posix
