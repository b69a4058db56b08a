#include "bills/AnyBill.h"

#include "accounts/AccountStore.h"
#include "bills/BankStatement.h"
#include "bills/BankTexts.h"
#include "bills/BillReader.h"
#include "bills/XlsSheet.h"
#include "exchange/TextEncoding.h"
#include "records/AccountLink.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

// What the payment bills' reader says of a file that is no bill of theirs.
constexpr const char* kNotABill = "不是支付宝或微信支付的账单";

std::string Quoted(const std::string& strName) {
    return "“" + strName + "”";
}

// An old binary Excel file is read as the CSV text of its first sheet (held in `text`), which
// the bills' and statements' readers below take as they take any CSV file.
bool OldExcelAsText(std::string_view& bytes, const std::string& strName, std::string& text,
                    std::string& strError) {
    if (!CXlsSheet::LooksLikeXls(bytes))
        return true;
    CXlsSheet sheet;
    std::string strWhy;
    bool bLocked = false;
    if (!sheet.Read(bytes, strWhy, bLocked)) {
        strError = Quoted(strName) + (bLocked ? std::string(BankTexts::kLockedXls)
                                              : BankTexts::kBrokenXls + ("（" + strWhy + "）。"));
        return false;
    }
    text = sheet.CsvText();
    bytes = text;
    return true;
}

bool Decode(std::string_view bytes, const std::string& strName, std::string& text,
            std::string& strError) {
    std::string strDecodeError;
    if (DecodeText(bytes, DetectEncoding(bytes), text, strDecodeError))
        return true;
    strError = Quoted(strName) + "不是文本文件，读不出账单：" + strDecodeError;
    return false;
}

// The last four digits or more of an account's name: the card's number as statements
// print it ("招商银行(1234)", "工资卡 6225 **** 1234").
std::string CardDigits(const std::string& strName) {
    std::string digits;
    for (auto it = strName.rbegin(); it != strName.rend(); ++it) {
        if (*it >= '0' && *it <= '9')
            digits.insert(digits.begin(), *it);
        else if (!digits.empty())
            break;
    }
    return digits.size() >= 4 ? digits : std::string();
}

// The account whose card the preamble names, or 0 (also when it names several).
std::int64_t NamedAccount(const std::vector<CAccount>& accounts, const std::string& strPreamble,
                          const std::vector<std::int64_t>& among) {
    std::int64_t nFound = 0;
    for (const CAccount& account : accounts) {
        const std::string digits = CardDigits(account.strName);
        const bool bAmong = among.empty() || std::find(among.begin(), among.end(), account.nId) !=
                                                 among.end();
        if (!bAmong || digits.empty() || strPreamble.find(digits) == std::string::npos)
            continue;
        if (nFound != 0)
            return 0;
        nFound = account.nId;
    }
    return nFound;
}

std::vector<CAccount> Accounts(CADODatabase& db) {
    std::vector<CAccount> accounts;
    if (CAccountLink::Present(db))
        for (CAccount& account : CAccountStore(db).Load())
            if (!account.bStopped)
                accounts.push_back(std::move(account));
    return accounts;
}

// A heading row a statement's scheme can start from: a date and an amount among its fields.
bool Usable(const std::vector<std::string>& header) {
    CBankScheme guess = GuessBankScheme(header);
    guess.nAccount = 1;
    return BankSchemeMissingText(guess).empty();
}

} // namespace

bool ReadBankStatement(std::string_view bytes, const std::string& strName,
                       const CBankScheme& scheme, BillFile& bill, std::string& strError) {
    std::string sheet;
    if (!OldExcelAsText(bytes, strName, sheet, strError))
        return false;
    std::string text;
    if (!Decode(bytes, strName, text, strError))
        return false;
    BankHeading heading;
    const auto same = [&scheme](const std::vector<std::string>& header) {
        return header == scheme.header;
    };
    if (!FindBankHeading(text, same, heading)) {
        strError = Quoted(strName) + BankTexts::kNoScheme;
        return false;
    }
    return ReadBankRows(text, heading, scheme, Quoted(strName), bill, strError);
}

bool ReadAnyBill(CADODatabase& db, std::string_view bytes, const std::string& strName,
                 BillFile& bill, AnyBillRead& read) {
    read = AnyBillRead();
    std::string sheet;
    if (!OldExcelAsText(bytes, strName, sheet, read.strError))
        return false;
    std::string strBillError;
    if (ReadBill(bytes, strName, bill, strBillError))
        return true;
    // A bill of a kind known with a bad row says which; only a file of no kind known may be
    // a bank's.
    if (strBillError.find(kNotABill) == std::string::npos) {
        read.strError = strBillError;
        return false;
    }
    std::string text;
    if (!Decode(bytes, strName, text, read.strError))
        return false;
    const std::vector<CBankScheme> schemes = CBankSchemeStore(db).Load();
    BankHeading heading;
    const auto saved = [&schemes](const std::vector<std::string>& header) {
        for (const CBankScheme& scheme : schemes)
            if (scheme.header == header)
                return true;
        return false;
    };
    const std::vector<CAccount> accounts = Accounts(db);
    if (FindBankHeading(text, saved, heading)) {
        std::vector<const CBankScheme*> matching;
        std::vector<std::int64_t> among;
        for (const CBankScheme& scheme : schemes)
            if (scheme.header == heading.header) {
                matching.push_back(&scheme);
                among.push_back(scheme.nAccount);
            }
        const CBankScheme* chosen = matching.front();
        if (const std::int64_t nNamed = NamedAccount(accounts, heading.strPreamble, among))
            for (const CBankScheme* scheme : matching)
                if (scheme->nAccount == nNamed)
                    chosen = scheme;
        return ReadBankRows(text, heading, *chosen, Quoted(strName), bill, read.strError);
    }
    if (FindBankHeading(text, Usable, heading)) {
        read.bNeedsScheme = true;
        read.guess = GuessBankScheme(heading.header);
        read.guess.nAccount = NamedAccount(accounts, heading.strPreamble, {});
        read.strError = Quoted(strName) + BankTexts::kNoScheme;
        return false;
    }
    read.strError = strBillError;
    return false;
}

bool ReadAnyBillFile(CADODatabase& db, const std::string& strPath, BillFile& bill,
                     AnyBillRead& read) {
    read = AnyBillRead();
    const std::string strName = std::filesystem::path(strPath).filename().string();
    std::ifstream in(strPath, std::ios::binary);
    if (!in) {
        read.strError = Quoted(strName) + "打不开。";
        return false;
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return ReadAnyBill(db, bytes, strName, bill, read);
}
