#include "platform/ado/DurableFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ado::durable {
namespace {

int SyncPath(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int rc = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return rc;
}

} // namespace

int CreatePrivateFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno;
    // The umask may only take bits away, but a wider default ACL could add some back.
    const int rc = ::fchmod(fd, 0600) == 0 ? 0 : errno;
    ::close(fd);
    return rc;
}

int SyncFile(const std::string& path) {
    return SyncPath(path, O_RDONLY);
}

int SyncFolder(const std::string& folder) {
    return SyncPath(folder.empty() ? "." : folder, O_RDONLY | O_DIRECTORY);
}

int ReadModificationTime(const std::string& path, long long& nanoseconds) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return errno;
    nanoseconds = static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
    return 0;
}

int SetModificationTime(const std::string& path, long long nanoseconds) {
    const struct timespec times[2] = {
        {0, UTIME_OMIT},
        {static_cast<time_t>(nanoseconds / 1000000000LL), nanoseconds % 1000000000LL}};
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0 ? 0 : errno;
}

int Rename(const std::string& from, const std::string& to, bool replace) {
    if (replace)
        return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without the no-replace rename: a hard link never replaces either.
    if (::link(from.c_str(), to.c_str()) != 0)
        return errno;
    ::unlink(from.c_str());
    return 0;
}

} // namespace ado::durable
