#include "data/PrivateFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr mode_t kOwnerOnly = S_IRUSR | S_IWUSR;

} // namespace

bool PrivateFile::Create(const std::string& path, std::string& error) {
    // O_EXCL claims the name atomically and refuses a symbolic link, dangling or not.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kOwnerOnly);
    if (fd < 0) {
        error = errno == EEXIST ? path + " already exists"
                                : "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    // The umask may have taken the owner's own bits away; the mode is set, not masked.
    const bool narrowed = ::fchmod(fd, kOwnerOnly) == 0;
    const int chmodErrno = errno;
    ::close(fd);
    if (!narrowed) {
        ::unlink(path.c_str());
        error = "cannot restrict " + path + " to its owner: " + std::strerror(chmodErrno);
        return false;
    }
    return true;
}

bool PrivateFile::Restrict(const std::string& path, std::string& error) {
    if (::chmod(path.c_str(), kOwnerOnly) != 0) {
        error = "cannot restrict " + path + " to its owner: " + std::strerror(errno);
        return false;
    }
    return true;
}
