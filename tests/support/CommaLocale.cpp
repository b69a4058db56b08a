#include "tests/support/CommaLocale.h"

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <locale>
#include <locale.h>
#include <string>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testing_support {
namespace {

namespace fs = std::filesystem;

const char* const kName = "de_DE.UTF-8";

bool Available() {
    const locale_t locale = ::newlocale(LC_ALL_MASK, kName, nullptr);
    if (locale == nullptr)
        return false;
    ::freelocale(locale);
    return true;
}

// Runs localedef without a shell; true when it made the locale.
bool RunLocaledef(const std::string& target) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::execlp("localedef", "localedef", "-i", "de_DE", "-f", "UTF-8", target.c_str(),
                 static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

} // namespace

std::string CommaLocale(std::string& why) {
    if (Available())
        return kName;
    const char* tmp = std::getenv("TMPDIR");
    const fs::path folder = fs::path(tmp && *tmp ? tmp : "/tmp") /
                            ("coffer-locales-" + std::to_string(::getuid()));
    const fs::path made = folder / kName;
    std::error_code ec;
    if (!fs::exists(made / "LC_NUMERIC", ec)) {
        if (!fs::exists("/usr/share/i18n/locales/de_DE", ec)) {
            why = "no de_DE.UTF-8 locale, and no sources to make one (Debian's locales package)";
            return {};
        }
        fs::create_directories(folder, ec);
        // Test processes start in parallel: one makes the locale, the others wait for it.
        const int lock = ::open((folder / ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (lock >= 0)
            ::flock(lock, LOCK_EX);
        if (!fs::exists(made / "LC_NUMERIC", ec)) {
            const fs::path part = folder / (std::string(kName) + ".part");
            fs::remove_all(part, ec);
            if (!RunLocaledef(part.string())) {
                why = "localedef could not make de_DE.UTF-8 in " + folder.string();
                fs::remove_all(part, ec);
            } else {
                fs::rename(part, made, ec);
            }
        }
        if (lock >= 0)
            ::close(lock);
        if (!why.empty())
            return {};
    }
    ::setenv("LOCPATH", folder.c_str(), 1);
    if (Available())
        return kName;
    why = "de_DE.UTF-8 made in " + folder.string() + " does not load";
    return {};
}

bool EnterTestLocale(std::string& why) {
    const char* wanted = std::getenv("COFFER_TEST_LOCALE");
    if (wanted == nullptr || *wanted == '\0')
        return true;
    const std::string name = CommaLocale(why);
    if (name.empty())
        return false;
    ::setenv("LC_ALL", name.c_str(), 1);
    std::setlocale(LC_ALL, name.c_str());
    std::locale::global(std::locale(name));
    return true;
}

} // namespace testing_support
