// coffer-accounts [LEDGER]: every account of a Coffer ledger with its balance, as CSV.

#include "CofferVersion.h"
#include "accounts/AccountsCsv.h"
#include "data/ADODatabase.h"
#include "exchange/LedgerExport.h"

#include <cstdio>
#include <exception>
#include <string>

namespace {

void Usage(FILE* to) {
    std::fprintf(to, "usage: coffer-accounts [LEDGER]\n"
                     "Prints every account with its kind, owner and balance, then 资产, 负债 and\n"
                     "净资产, as CSV on standard output, from LEDGER: a ledger file or a\n"
                     "postgresql:// URI (default: the household ledger).\n");
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--version") {
        std::printf("coffer-accounts %s\n", kCofferVersion);
        return 0;
    }
    if (argc == 2 && (std::string(argv[1]) == "-h" || std::string(argv[1]) == "--help")) {
        Usage(stdout);
        return 0;
    }
    if (argc > 2 || (argc == 2 && argv[1][0] == '-')) {
        Usage(stderr);
        return 1;
    }
    const std::string ledger = argc == 2 ? argv[1] : "data.mdb";
    try {
        CADODatabase db;
        db.SetConnectionString(LedgerConnectionText(ledger));
        if (!db.Open()) {
            std::fprintf(stderr, "coffer-accounts: cannot read the ledger %s: %s\n", ledger.c_str(),
                         db.GetErrorDescription().c_str());
            return 1;
        }
        const std::string text = AccountsCsv(db);
        std::fwrite(text.data(), 1, text.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    } catch (const CADOException& error) {
        std::fprintf(stderr, "coffer-accounts: cannot read the ledger %s: %s\n", ledger.c_str(),
                     error.GetErrorMessage().c_str());
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "coffer-accounts: cannot read the ledger %s: %s\n", ledger.c_str(),
                     error.what());
        return 1;
    }
}
