#include "platform/posix/ByteCopy.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>

namespace psion::posix {

namespace {

constexpr std::size_t kBufferSize = 1 << 20;

// Through a buffer, for file systems (or pairs of them) copy_file_range refuses.
int CopyThroughBuffer(int from, int to, off_t offset, off_t length) {
    const auto buffer = std::make_unique<char[]>(kBufferSize);
    while (offset < length) {
        const auto wanted = static_cast<std::size_t>(
            std::min<off_t>(length - offset, static_cast<off_t>(kBufferSize)));
        const ssize_t got = ::pread(from, buffer.get(), wanted, offset);
        if (got < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (got == 0) return EIO;  // shorter than it was
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::pwrite(to, buffer.get() + done,
                                         static_cast<std::size_t>(got - done), offset + done);
            if (put < 0) {
                if (errno == EINTR) continue;
                return errno;
            }
            done += put;
        }
        offset += got;
    }
    return 0;
}

}  // namespace

int CopyBytes(int from, int to, off_t length) {
    off_t in = 0;
    off_t out = 0;
    while (in < length) {
        const ssize_t copied =
            ::copy_file_range(from, &in, to, &out, static_cast<std::size_t>(length - in), 0);
        if (copied > 0) continue;
        if (copied == 0) return EIO;  // shorter than it was
        if (errno == EINTR) continue;
        if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP ||
            errno == EBADF) {
            return CopyThroughBuffer(from, to, in, length);
        }
        return errno;
    }
    return 0;
}

}  // namespace psion::posix
