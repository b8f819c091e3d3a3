#include "platform/posix/FileAttributes.h"

#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/Descriptor.h"

namespace psion::posix {

namespace {

constexpr std::string_view kAccessAcl = "system.posix_acl_access";

// Calls fill(buffer, size) with a growing buffer until the value fits; 0 with
// the value's bytes, or the errno.
template <typename Fill>
int ReadGrowing(std::vector<char>& value, Fill fill) {
    for (;;) {
        const ssize_t needed = fill(nullptr, 0);
        if (needed < 0) return errno;
        value.resize(static_cast<std::size_t>(needed));
        const ssize_t got = fill(value.data(), value.size());
        if (got >= 0) {
            value.resize(static_cast<std::size_t>(got));
            return 0;
        }
        if (errno != ERANGE) return errno;  // it grew meanwhile: ask again
    }
}

// The names of a file's extended attributes; 0 or the errno. A file system
// without extended attributes has none.
template <typename List>
int Names(std::vector<std::string>& names, List list) {
    std::vector<char> packed;
    if (const int error = ReadGrowing(packed, list)) return error == ENOTSUP ? 0 : error;
    for (std::size_t start = 0; start < packed.size();) {
        const std::string_view name(packed.data() + start);
        names.emplace_back(name);
        start += name.size() + 1;
    }
    return 0;
}

int CopyAttribute(int newFile, const std::string& original, const std::string& name) {
    std::vector<char> value;
    if (const int error = ReadGrowing(value, [&](char* data, std::size_t size) {
            return ::getxattr(original.c_str(), name.c_str(), data, size);
        })) {
        return error;
    }
    if (::fsetxattr(newFile, name.c_str(), value.data(), value.size(), 0) != 0) return errno;
    return 0;
}

}  // namespace

int KeepAttributes(int newFile, int original, const struct stat& originalInfo) {
    struct stat created {};
    if (::fstat(newFile, &created) != 0) return errno;
    if (created.st_uid != originalInfo.st_uid || created.st_gid != originalInfo.st_gid) {
        const uid_t owner =
            created.st_uid != originalInfo.st_uid ? originalInfo.st_uid : static_cast<uid_t>(-1);
        const gid_t group =
            created.st_gid != originalInfo.st_gid ? originalInfo.st_gid : static_cast<gid_t>(-1);
        if (::fchown(newFile, owner, group) != 0) return errno;
    }

    const std::string originalPath = DescriptorPath(original);
    std::vector<std::string> kept;
    std::vector<std::string> inherited;
    if (const int error = Names(kept, [&](char* data, std::size_t size) {
            return ::listxattr(originalPath.c_str(), data, size);
        })) {
        return error;
    }
    if (const int error = Names(inherited, [&](char* data, std::size_t size) {
            return ::flistxattr(newFile, data, size);
        })) {
        return error;
    }
    for (const std::string& name : inherited) {
        if (std::find(kept.begin(), kept.end(), name) != kept.end()) continue;
        if (::fremovexattr(newFile, name.c_str()) != 0) return errno;
    }
    // The access ACL last, once nothing else can fail half-way.
    std::stable_partition(kept.begin(), kept.end(),
                          [](const std::string& name) { return name != kAccessAcl; });
    for (const std::string& name : kept) {
        if (const int error = CopyAttribute(newFile, originalPath, name)) return error;
    }

    if (::fchmod(newFile, originalInfo.st_mode & 07777) != 0) return errno;
    return 0;
}

}  // namespace psion::posix
