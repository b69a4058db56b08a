#include "accounts/AccountsCsv.h"

#include "accounts/AccountBalances.h"
#include "accounts/AccountStore.h"
#include "accounts/AccountTexts.h"
#include "data/Cents.h"
#include "exchange/CsvWriter.h"

std::string AccountsCsv(CADODatabase& db) {
    const std::vector<CAccount> accounts = CAccountStore(db).Load();
    const std::map<std::int64_t, std::int64_t> balances = CAccountBalances(db).Now(accounts);
    std::string text = "\xEF\xBB\xBF";
    const auto row = [&text](const std::vector<std::string>& fields) {
        text += CCsvWriter::FormatRow(fields) + "\r\n";
    };
    row({"账户", "种类", "所有人", "余额"});
    for (const CAccount& account : accounts)
        row({account.strName, account.strKind, account.strOwner,
             CCents::Text(balances.at(account.nId))});
    const CAccountBalances::Totals totals = CAccountBalances::Sum(balances);
    row({AccountTexts::kAssets, "", "", CCents::Text(totals.nAssets)});
    row({AccountTexts::kDebts, "", "", CCents::Text(totals.nDebts)});
    row({AccountTexts::kNetWorth, "", "", CCents::Text(totals.nNet)});
    return text;
}
