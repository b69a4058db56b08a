// coffer-import (--income|--expense|--by-column) [--add-missing] [--keep-duplicates] FILE
// [LEDGER]: imports the records of a CSV file into a Coffer ledger.
// coffer-import --bill FILE [--member NAME] [--account NAME] [--accept-balance] [LEDGER]: an
// Alipay or WeChat Pay bill as downloaded, or a bank statement.

#include "CofferVersion.h"
#include "bills/BillImport.h"
#include "exchange/LedgerExport.h"
#include "exchange/LedgerImport.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

void Usage(FILE* to) {
    std::fprintf(to,
                 "usage: coffer-import (--income|--expense|--by-column) [--add-missing]\n"
                 "                     [--keep-duplicates] FILE [LEDGER]\n"
                 "       coffer-import --bill FILE [--member NAME] [--account NAME]\n"
                 "                     [--accept-balance] [LEDGER]\n"
                 "Imports the lines of the CSV file FILE into LEDGER in one transaction. LEDGER\n"
                 "is a ledger file or a postgresql:// URI (default: the household ledger,\n"
                 "./data.mdb unless COFFER_LEDGER or the settings name another).\n"
                 "Exit status 0: every line imported or skipped as a duplicate; 2: some lines\n"
                 "were bad (the good ones were imported); 1: nothing imported.\n"
                 "With --bill, FILE is an Alipay or WeChat Pay bill as downloaded; its rows go to\n"
                 "the member NAME (default: the only member) and to the accounts its sources\n"
                 "name; --account names the account for sources no account is known for.\n"
                 "Rows that look like records typed by hand are listed, not stored.\n"
                 "A bank statement is read by the import scheme saved for its heading row (or,\n"
                 "with --account, by its headings) into that account; when its 余额 parts from\n"
                 "the account's running balance nothing is written, unless --accept-balance.\n");
}

// The rows of a bill, written in one transaction; every row not stored is listed with why.
int ImportBill(const std::vector<std::string>& positional, const BillOptions& options) {
    if (positional.empty() || positional.size() > 2) {
        Usage(stderr);
        return 1;
    }
    const std::string ledger = positional.size() == 2 ? positional[1] : "data.mdb";
    BillFile bill;
    std::vector<BillLine> lines;
    const BillSummary summary =
        ImportBillFile(LedgerConnectionText(ledger), positional[0], options, bill, lines);
    if (!summary.strError.empty()) {
        std::fprintf(stderr, "coffer-import: %s\n", BillSummaryText(summary).c_str());
        return 1;
    }
    std::printf("%s\n", BillSummaryText(summary).c_str());
    for (const BillLine& line : lines)
        if (!line.Stored())
            std::printf("第 %zu 行：不记，%s\n", line.Row().nLine, line.strReason.c_str());
    for (const auto& [nLine, strReason] : summary.refused)
        std::fprintf(stderr, "第 %zu 行：%s\n", nLine, strReason.c_str());
    return summary.refused.empty() ? 0 : 2;
}

} // namespace

int main(int argc, char** argv) {
    ImportOptions options;
    std::optional<ImportKind> kind;
    std::vector<std::string> positional;
    bool bBill = false;
    BillOptions billOptions;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--version") {
            std::printf("coffer-import %s\n", kCofferVersion);
            return 0;
        }
        if (argument == "-h" || argument == "--help") {
            Usage(stdout);
            return 0;
        }
        std::optional<ImportKind> chosen;
        if (argument == "--income")
            chosen = ImportKind::Income;
        else if (argument == "--expense")
            chosen = ImportKind::Expense;
        else if (argument == "--by-column")
            chosen = ImportKind::ByColumn;
        else if (argument == "--add-missing")
            options.bAddMissing = true;
        else if (argument == "--keep-duplicates")
            options.bKeepDuplicates = true;
        else if (argument == "--bill")
            bBill = true;
        else if (argument == "--accept-balance")
            billOptions.bAcceptBalance = true;
        else if ((argument == "--member" || argument == "--account") && i + 1 < argc)
            (argument == "--member" ? billOptions.strMember : billOptions.strAccount) = argv[++i];
        else if (argument.size() > 1 && argument[0] == '-') {
            std::fprintf(stderr, "coffer-import: unknown option %s\n", argument.c_str());
            return 1;
        } else
            positional.push_back(argument);
        if (chosen) {
            if (kind && *kind != *chosen) {
                std::fprintf(stderr,
                             "coffer-import: choose one of --income, --expense, --by-column\n");
                return 1;
            }
            kind = chosen;
        }
    }
    if (bBill && !kind)
        return ImportBill(positional, billOptions);
    if (!kind || positional.empty() || positional.size() > 2) {
        Usage(stderr);
        return 1;
    }
    options.nKind = *kind;
    const std::string ledger = positional.size() == 2 ? positional[1] : "data.mdb";
    const ImportSummary summary =
        ImportLedgerFile(LedgerConnectionText(ledger), positional[0], options);
    if (!summary.strError.empty()) {
        std::fprintf(stderr, "coffer-import: %s\n", ImportSummaryText(summary).c_str());
        return 1;
    }
    std::printf("%s\n", ImportSummaryText(summary).c_str());
    for (const BadLine& line : summary.badLines)
        std::fprintf(stderr, "第 %zu 行：%s\n", line.nLine, line.strReason.c_str());
    return summary.badLines.empty() ? 0 : 2;
}
