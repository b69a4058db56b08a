// coffer-export [--xlsx] [LEDGER] OUT: writes every record of a Coffer ledger to CSV files or
// one Excel workbook.

#include "CofferVersion.h"
#include "exchange/LedgerExport.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

void Usage(FILE* to) {
    std::fprintf(to, "usage: coffer-export [--xlsx] [LEDGER] OUT\n"
                     "Writes OUT-收入.csv and OUT-支出.csv, or with --xlsx OUT.xlsx with the\n"
                     "sheets 收入 and 支出, from LEDGER: a ledger file or a postgresql:// URI\n"
                     "(default: the household ledger, ./data.mdb unless COFFER_LEDGER or the\n"
                     "settings name another).\n");
}

} // namespace

int main(int argc, char** argv) {
    bool xlsx = false;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--version") {
            std::printf("coffer-export %s\n", kCofferVersion);
            return 0;
        }
        if (argument == "-h" || argument == "--help") {
            Usage(stdout);
            return 0;
        }
        if (argument == "--xlsx") {
            xlsx = true;
        } else if (argument.size() > 1 && argument[0] == '-') {
            std::fprintf(stderr, "coffer-export: unknown option %s\n", argument.c_str());
            Usage(stderr);
            return 1;
        } else {
            positional.push_back(argument);
        }
    }
    if (positional.empty() || positional.size() > 2) {
        Usage(stderr);
        return 1;
    }
    const std::string ledger = positional.size() == 2 ? positional[0] : "data.mdb";
    std::string error;
    if (!ExportLedger(LedgerConnectionText(ledger), positional.back(), xlsx, error)) {
        std::fprintf(stderr, "coffer-export: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
