#include "platform/ado/pg/PasswordFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace ado {

std::string PasswordFile::Path() {
    if (const char* set = std::getenv("PGPASSFILE"); set && *set)
        return set;
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::string(home) + "/.pgpass";
    return {};
}

std::string PasswordFile::Escaped(const std::string& field) {
    std::string out;
    for (char c : field) {
        if (c == ':' || c == '\\')
            out += '\\';
        out += c;
    }
    return out;
}

bool PasswordFile::Store(const std::string& path, const std::string& host, const std::string& port,
                         const std::string& database, const std::string& user,
                         const std::string& password, std::string& error) {
    if (path.empty()) {
        error = "no home folder for the password file";
        return false;
    }
    const std::string key =
        Escaped(host) + ":" + Escaped(port) + ":" + Escaped(database) + ":" + Escaped(user) + ":";
    std::vector<std::string> lines;
    {
        std::ifstream file(path);
        std::string line;
        while (std::getline(file, line))
            if (line.rfind(key, 0) != 0)
                lines.push_back(line);
    }
    lines.push_back(key + Escaped(password));
    // Made with mode 0600 from the start, so the password is never readable by others.
    const std::string temporary = path + ".new";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) {
        error = "cannot write " + temporary + ": " + std::strerror(errno);
        return false;
    }
    std::string text;
    for (const std::string& line : lines)
        text += line + '\n';
    const bool written =
        ::fchmod(fd, 0600) == 0 &&
        ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) &&
        ::fsync(fd) == 0;
    ::close(fd);
    if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace ado
