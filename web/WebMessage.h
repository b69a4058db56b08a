#pragma once

#include <string>
#include <utility>
#include <vector>

/// One request as the pages see it: no Qt types, so the pages and their tests need no
/// server and the server's library can change underneath.
struct WebRequest {
    std::string strMethod; // "GET", "POST", …
    std::string strPath;   // decoded path, "/" for the page
    std::string strQuery;  // the raw query string, without '?'
    std::vector<std::pair<std::string, std::string>> headers; // names in lower case
    std::string strBody;
    std::string strPeer; // the client's address

    /// The first header of that (lower-case) name, "" when absent.
    std::string Header(const std::string& strName) const;
};

struct WebResponse {
    int nStatus = 200;
    std::string strContentType = "text/html; charset=utf-8";
    std::string strBody;
    std::vector<std::pair<std::string, std::string>> headers;
};
