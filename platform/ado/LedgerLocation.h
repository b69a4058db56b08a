#pragma once

#include <string>
#include <string_view>

namespace ado {

/// Where the household ledger lives. The connection text names it "data.mdb"; the setting
/// says where that is: the environment variable COFFER_LEDGER when set, else the line
/// "ledger=" of $XDG_CONFIG_HOME/coffer/coffer.conf (~/.config/coffer/coffer.conf), else the
/// file data.mdb in the current directory. A postgresql:// value puts it on that server.
class LedgerLocation {
public:
    /// The data source that every dialog's connection text names.
    static constexpr const char* kHouseholdName = "data.mdb";

    /// The setting as it stands now; empty for the file in the current directory.
    static std::string Current();
    /// The ledger a data source names, as every connection and tool finds it: for the
    /// household name ("data.mdb", in any case) the setting's ledger, else the source
    /// itself; a server's URI as it is, a file as its absolute path.
    static std::string Resolve(const std::string& source);
    /// True for a server connection URI (postgresql:// or postgres://).
    static bool IsServer(std::string_view location);
    /// The settings file: $XDG_CONFIG_HOME/coffer/coffer.conf, or under ~/.config.
    static std::string ConfigFile();
    /// The "ledger=" value of a settings file; empty when it has none or cannot be read.
    static std::string Read(const std::string& configFile);
    /// Writes "ledger=" into the settings file (made with its folder when missing), keeping
    /// its other lines; an empty value removes the line. False with `error` on failure.
    static bool Store(const std::string& configFile, const std::string& location,
                      std::string& error);
};

} // namespace ado
