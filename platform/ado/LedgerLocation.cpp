#include "platform/ado/LedgerLocation.h"

#include "platform/ado/JetSql.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace ado {
namespace {

std::string Trim(std::string text) {
    const char* blanks = " \t\r\n";
    const size_t start = text.find_first_not_of(blanks);
    if (start == std::string::npos)
        return {};
    return text.substr(start, text.find_last_not_of(blanks) - start + 1);
}

// "ledger = value" with any blanks around the key and the value.
bool IsLedgerLine(const std::string& line, std::string* value) {
    const size_t equals = line.find('=');
    if (equals == std::string::npos || Trim(line.substr(0, equals)) != "ledger")
        return false;
    if (value)
        *value = Trim(line.substr(equals + 1));
    return true;
}

} // namespace

std::string LedgerLocation::Current() {
    if (const char* set = std::getenv("COFFER_LEDGER"); set && *set)
        return Trim(set);
    return Read(ConfigFile());
}

std::string LedgerLocation::Resolve(const std::string& source) {
    std::string ledger = source;
    if (!IsServer(source) && JetSql::SameName(source, kHouseholdName)) {
        const std::string setting = Current();
        if (!setting.empty())
            ledger = setting;
    }
    if (IsServer(ledger))
        return ledger;
    return std::filesystem::absolute(ledger).lexically_normal().string();
}

bool LedgerLocation::IsServer(std::string_view location) {
    return location.rfind("postgresql://", 0) == 0 || location.rfind("postgres://", 0) == 0;
}

std::string LedgerLocation::ConfigFile() {
    std::filesystem::path folder;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/')
        folder = config;
    else if (const char* home = std::getenv("HOME"); home && *home)
        folder = std::filesystem::path(home) / ".config";
    else
        return {};
    return (folder / "coffer" / "coffer.conf").string();
}

std::string LedgerLocation::Read(const std::string& configFile) {
    std::ifstream file(configFile);
    std::string line;
    std::string value;
    while (std::getline(file, line)) {
        const std::string trimmed = Trim(line);
        if (!trimmed.empty() && trimmed[0] != '#' && IsLedgerLine(trimmed, &value))
            return value;
    }
    return {};
}

bool LedgerLocation::Store(const std::string& configFile, const std::string& location,
                           std::string& error) {
    if (configFile.empty()) {
        error = "no folder for the settings (neither XDG_CONFIG_HOME nor HOME is set)";
        return false;
    }
    std::vector<std::string> lines;
    {
        std::ifstream file(configFile);
        std::string line;
        while (std::getline(file, line))
            if (!IsLedgerLine(Trim(line), nullptr))
                lines.push_back(line);
    }
    if (!location.empty())
        lines.push_back("ledger=" + location);
    const std::filesystem::path path(configFile);
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    // Written beside and renamed over, so that a failure leaves the old settings whole.
    const std::string temporary = configFile + ".new";
    {
        std::ofstream file(temporary, std::ios::trunc);
        for (const std::string& line : lines)
            file << line << '\n';
        file.flush();
        if (!file) {
            error = "cannot write " + temporary;
            std::filesystem::remove(temporary, ec);
            return false;
        }
    }
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        error = "cannot replace " + configFile + ": " + ec.message();
        std::filesystem::remove(temporary, ec);
        return false;
    }
    return true;
}

} // namespace ado
