#include "ledger/ServerAddress.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace {

std::string Encoded(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            out += static_cast<char>(c);
        } else {
            char buffer[4];
            std::snprintf(buffer, sizeof buffer, "%%%02X", c);
            out += buffer;
        }
    }
    return out;
}

std::string Decoded(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const std::string hex = text.substr(i + 1, 2);
            char* end = nullptr;
            const long value = std::strtol(hex.c_str(), &end, 16);
            if (hex.size() == 2 && end && *end == '\0') {
                out += static_cast<char>(value);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

} // namespace

std::string CServerAddress::ToUri(const std::string& strPassword) const {
    std::string uri = "postgresql://";
    if (!m_strUser.empty())
        uri += Encoded(m_strUser) + (strPassword.empty() ? "" : ":" + Encoded(strPassword)) + "@";
    const bool bSocket = !m_strHost.empty() && m_strHost[0] == '/';
    if (!bSocket)
        uri += Encoded(m_strHost);
    if (!m_strPort.empty())
        uri += ":" + m_strPort;
    uri += "/" + Encoded(m_strDatabase);
    std::string query = bSocket ? "host=" + Encoded(m_strHost) : "";
    if (!m_strOptions.empty())
        query += (query.empty() ? "" : "&") + m_strOptions;
    return query.empty() ? uri : uri + "?" + query;
}

bool CServerAddress::FromUri(const std::string& uri, CServerAddress& address) {
    const std::string scheme = uri.rfind("postgresql://", 0) == 0 ? "postgresql://"
                               : uri.rfind("postgres://", 0) == 0 ? "postgres://"
                                                                  : "";
    if (scheme.empty())
        return false;
    address = CServerAddress();
    std::string rest = uri.substr(scheme.size());
    std::string query;
    if (const size_t mark = rest.find('?'); mark != std::string::npos) {
        query = rest.substr(mark + 1);
        rest.erase(mark);
    }
    std::string authority = rest.substr(0, rest.find('/'));
    if (const size_t slash = rest.find('/'); slash != std::string::npos)
        address.m_strDatabase = Decoded(rest.substr(slash + 1));
    if (const size_t at = authority.rfind('@'); at != std::string::npos) {
        const size_t colon = authority.find(':');
        address.m_strUser = Decoded(authority.substr(0, colon < at ? colon : at));
        if (colon < at)
            address.m_strPassword = Decoded(authority.substr(colon + 1, at - colon - 1));
        authority.erase(0, at + 1);
    }
    if (const size_t colon = authority.rfind(':'); colon != std::string::npos) {
        address.m_strPort = authority.substr(colon + 1);
        authority.erase(colon);
    }
    address.m_strHost = Decoded(authority);
    for (size_t start = 0; start < query.size();) {
        const size_t end = std::min(query.find('&', start), query.size());
        const std::string part = query.substr(start, end - start);
        const size_t equals = part.find('=');
        const std::string key = part.substr(0, equals);
        const std::string value =
            equals == std::string::npos ? "" : Decoded(part.substr(equals + 1));
        if (key == "host")
            address.m_strHost = value;
        else if (key == "port")
            address.m_strPort = value;
        else if (key == "user")
            address.m_strUser = value;
        else if (key == "dbname")
            address.m_strDatabase = value;
        else if (key == "password")
            address.m_strPassword = value;
        else if (!part.empty())
            address.m_strOptions += (address.m_strOptions.empty() ? "" : "&") + part;
        start = end + 1;
    }
    return true;
}
