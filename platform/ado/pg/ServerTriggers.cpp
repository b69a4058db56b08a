#include "platform/ado/pg/ServerTriggers.h"

#include "platform/ado/LedgerSchema.h"

#include <map>
#include <regex>

namespace ado {
namespace {

// The server folds unquoted names to lower case.
std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// Every trigger the additions make on a server, with its function's text.
std::vector<ServerTrigger> OwnTriggers() {
    static const std::regex trigger(
        R"(CREATE OR REPLACE TRIGGER (\w+) .* ON (\S+) .*EXECUTE FUNCTION (\w+)\(\))",
        std::regex::icase);
    static const std::regex function(R"(CREATE OR REPLACE FUNCTION (\w+)\(\).*?AS \$\$([\s\S]*)\$\$)",
                                     std::regex::icase);
    std::map<std::string, std::string> bodies;
    std::vector<ServerTrigger> own;
    for (const auto& addition : ledger_schema::Additions()) {
        for (const std::string& statement : addition.server) {
            std::smatch m;
            if (std::regex_search(statement, m, function))
                bodies[Lower(m[1])] = m[2];
            else if (std::regex_search(statement, m, trigger))
                own.push_back({Lower(m[1]), Lower(m[2]), Lower(m[3]), {}});
        }
    }
    for (ServerTrigger& t : own)
        t.body = bodies[t.function];
    return own;
}

} // namespace

std::string ForeignServerTrigger(const std::vector<ServerTrigger>& found) {
    static const std::vector<ServerTrigger> own = OwnTriggers();
    for (const ServerTrigger& t : found) {
        bool ours = false;
        for (const ServerTrigger& o : own)
            ours = ours || (t.name == o.name && t.table == o.table && t.function == o.function &&
                            t.body == o.body);
        if (!ours)
            return t.name;
    }
    return {};
}

} // namespace ado
