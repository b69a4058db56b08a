// coffer-search TEXT… [--ledger LEDGER]: prints the records the 搜索 window finds for the
// text, as CSV on standard output.

#include "CofferVersion.h"
#include "data/ADODatabase.h"
#include "exchange/CsvWriter.h"
#include "exchange/LedgerExport.h"
#include "search/SearchExport.h"
#include "search/SearchIndex.h"
#include "search/SearchRecords.h"

#include <cstdio>
#include <exception>
#include <string>

namespace {

void Usage(FILE* to) {
    std::fprintf(to, "usage: coffer-search TEXT... [--ledger LEDGER]\n"
                     "Prints the income and expense records whose member, category or note\n"
                     "holds every word of TEXT (a number also finds that amount, 2024-03 or\n"
                     "2024-03-02 keeps that month or day), newest first, as CSV. LEDGER is a\n"
                     "ledger file or a postgresql:// URI (default: the household ledger).\n");
}

void PrintRow(const std::vector<std::string>& fields) {
    const std::string line = CCsvWriter::FormatRow(fields) + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
}

} // namespace

int main(int argc, char** argv) {
    std::string ledger = "data.mdb";
    std::string text;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--version") {
            std::printf("coffer-search %s\n", kCofferVersion);
            return 0;
        }
        if (argument == "-h" || argument == "--help") {
            Usage(stdout);
            return 0;
        }
        if (argument == "--ledger") {
            if (++i == argc) {
                Usage(stderr);
                return 1;
            }
            ledger = argv[i];
        } else if (argument.size() > 1 && argument[0] == '-' && argument[1] == '-') {
            std::fprintf(stderr, "coffer-search: unknown option %s\n", argument.c_str());
            Usage(stderr);
            return 1;
        } else {
            text += (text.empty() ? "" : " ") + argument;
        }
    }
    if (text.empty()) {
        Usage(stderr);
        return 1;
    }
    try {
        CADODatabase db;
        db.SetConnectionString(LedgerConnectionText(ledger));
        if (!db.Open()) {
            std::fprintf(stderr, "coffer-search: %s\n", db.GetErrorDescription().c_str());
            return 1;
        }
        // As the window does: the index is made or mended first; without it the search
        // only takes longer.
        std::string error;
        const bool bIndex =
            CSearchIndex::Ensure(db, error) || CSearchIndex::Inspect(db) == CSearchIndex::Ready;
        if (!error.empty())
            std::fprintf(stderr, "coffer-search: %s\n", error.c_str());
        PrintRow(SearchCsvHeadings());
        for (const SearchRow& row : CSearchRecords::Find(db, text, std::nullopt, bIndex))
            PrintRow(SearchCsvFields(row));
    } catch (...) {
        std::fprintf(stderr, "coffer-search: %s\n",
                     DescribeExchangeError(std::current_exception()).c_str());
        return 1;
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
