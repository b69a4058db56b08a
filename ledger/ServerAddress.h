#pragma once

#include <string>

/// The parts of a ledger server's address as the 账本位置 window shows them, and the
/// connection URI they make.
struct CServerAddress {
    std::string m_strHost;
    std::string m_strPort;
    std::string m_strDatabase;
    std::string m_strUser;
    /// A password the address carried (user:password@ or password=); never written back by
    /// ToUri: it belongs in the password file.
    std::string m_strPassword;
    /// Every other parameter of the address ("sslmode=verify-full&sslrootcert=…"), as it
    /// was written, kept through the window.
    std::string m_strOptions;

    /// postgresql://user@host:port/database; a host that is a folder (a Unix socket) goes in
    /// as the host parameter, the other parameters follow. Parts are percent-encoded where
    /// the URI needs it.
    /// A password given goes in after the user (for a connection made now, never stored).
    std::string ToUri(const std::string& strPassword = "") const;
    /// The parts of such a URI; false for anything that is not a postgresql:// URI.
    static bool FromUri(const std::string& uri, CServerAddress& address);
};
