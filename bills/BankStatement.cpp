#include "bills/BankStatement.h"

#include "bills/BankTexts.h"
#include "bills/BillFields.h"
#include "data/NumberText.h"
#include "exchange/CsvReader.h"

#include <cstdio>
#include <map>

namespace {

// Far enough for any bank's preamble; a heading further down is not one.
constexpr std::size_t kHeadingLines = 80;

std::string Field(const CsvRow& row, int nColumn) {
    return nColumn >= 0 && nColumn < static_cast<int>(row.fields.size())
               ? CleanBillField(row.fields[nColumn])
               : std::string();
}

std::string LineText(const std::string& strFile, std::size_t nLine) {
    return strFile + "第 " + std::to_string(nLine) + " 行";
}

// Statements close with totals (合计, 总计, 共 12 笔) or a dashed line.
bool IsTrailer(const CsvRow& row) {
    const std::string first = row.fields.empty() ? "" : CleanBillField(row.fields[0]);
    if (first.empty() || first[0] == '-' || first[0] == '#' || first[0] == '*' || first[0] == '=')
        return true;
    for (const std::string& field : row.fields)
        for (const char* word : {"合计", "总计", "小计", "笔数"})
            if (field.find(word) != std::string::npos)
                return true;
    return false;
}

// An amount of its own column: empty, or "0.00" where the other column holds the money.
// A text that is no amount is kept in `strBad`.
bool ColumnCents(const CsvRow& row, int nColumn, std::int64_t& nCents, std::string& strBad,
                 bool& bEmpty) {
    const std::string text = Field(row, nColumn);
    nCents = 0;
    bEmpty = text.empty() || text == "-" || text == "--";
    if (bEmpty)
        return false;
    if (!ParseBillCents(text, nCents)) {
        strBad = text;
        return false;
    }
    nCents = nCents < 0 ? -nCents : nCents;
    return nCents != 0;
}

} // namespace

bool FindBankHeading(const std::string& text,
                     const std::function<bool(const std::vector<std::string>&)>& accept,
                     BankHeading& heading) {
    std::size_t nLine = 0;
    for (std::size_t at = 0; at < text.size() && nLine < kHeadingLines;) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        ++nLine;
        const std::string_view line(text.data() + at, end - at);
        for (const char delimiter : {',', '\t'}) {
            CCsvReader reader(line, delimiter);
            CsvRow row;
            if (!reader.Next(row) || row.fields.size() < 2)
                continue;
            std::vector<std::string> header = BankHeader(row.fields);
            if (!accept(header))
                continue;
            heading.nLine = nLine;
            heading.nOffset = at;
            heading.chDelimiter = delimiter;
            heading.header = std::move(header);
            heading.strPreamble = text.substr(0, at);
            return true;
        }
        at = end + 1;
    }
    return false;
}

bool ReadBankRows(const std::string& text, const BankHeading& heading, const CBankScheme& scheme,
                  const std::string& strFile, BillFile& bill, std::string& strError) {
    BillFile read;
    read.nKind = BillKind::Bank;
    read.nAccount = scheme.nAccount;
    read.strScheme = scheme.strName;
    CCsvReader reader(std::string_view(text).substr(heading.nOffset), heading.chDelimiter);
    CsvRow row;
    reader.Next(row); // the heading row
    while (reader.Next(row)) {
        const std::size_t nLine = heading.nLine + row.nLine - 1;
        BillRow bank;
        bank.nLine = nLine;
        const std::string strDate = Field(row, scheme[BankDate]);
        std::string strWhen = strDate;
        if (scheme[BankTime] >= 0 && scheme[BankTime] != scheme[BankDate])
            strWhen += " " + Field(row, scheme[BankTime]);
        if (!ParseBillTime(strWhen, bank.dtWhen) && !ParseBillTime(strDate, bank.dtWhen)) {
            if (IsTrailer(row))
                break;
            strError = LineText(strFile, nLine) + BankTexts::kBadDate + strWhen;
            return false;
        }
        std::int64_t nSigned = 0;
        if (scheme[BankAmount] >= 0) {
            const std::string strAmount = Field(row, scheme[BankAmount]);
            if (!ParseBillCents(strAmount, nSigned)) {
                strError = LineText(strFile, nLine) + BankTexts::kBadAmount + strAmount;
                return false;
            }
        } else {
            std::int64_t nIn = 0, nOut = 0;
            std::string strBad;
            bool bNoIn = false, bNoOut = false;
            const bool bIn = ColumnCents(row, scheme[BankIn], nIn, strBad, bNoIn);
            const bool bOut = ColumnCents(row, scheme[BankOut], nOut, strBad, bNoOut);
            if (!strBad.empty() || (bIn && bOut) || (bNoIn && bNoOut)) {
                strError = LineText(strFile, nLine) +
                           (!strBad.empty()  ? BankTexts::kBadAmount + strBad
                            : bIn && bOut ? std::string("的") + BankTexts::kBothAmounts
                                          : std::string(BankTexts::kNoAmountInLine));
                return false;
            }
            nSigned = nIn - nOut;
        }
        bank.nDirection = nSigned > 0   ? BillDirection::In
                          : nSigned < 0 ? BillDirection::Out
                                        : BillDirection::Neutral;
        bank.nCents = nSigned < 0 ? -nSigned : nSigned;
        if (scheme[BankBalance] >= 0) {
            const std::string strBalance = Field(row, scheme[BankBalance]);
            if (!strBalance.empty()) {
                if (!ParseBillCents(strBalance, bank.nBalance)) {
                    strError = LineText(strFile, nLine) + BankTexts::kBadBalance + strBalance;
                    return false;
                }
                bank.bHasBalance = true;
            }
        }
        bank.strType = read.Keep(Field(row, scheme[BankSummary]));
        const std::string strCounterparty = Field(row, scheme[BankCounterparty]);
        // The note says who and what; a card payment often names no one but its 摘要.
        bank.strCounterparty = strCounterparty.empty() ? bank.strType : read.Keep(strCounterparty);
        bank.strGoods = bank.strType;
        read.rows.push_back(std::move(bank));
    }
    if (!reader.GetLastError().empty()) {
        strError = strFile + "读不下去：" + reader.GetLastError();
        return false;
    }
    KeyBankRows(read);
    bill = std::move(read);
    return true;
}

void KeyBankRows(BillFile& bill) {
    std::map<std::string, int> seen;
    for (BillRow& row : bill.rows) {
        char when[32];
        std::snprintf(when, sizeof when, "%04d%02d%02d%02d%02d%02d", row.dtWhen.GetYear(),
                      row.dtWhen.GetMonth(), row.dtWhen.GetDay(), row.dtWhen.GetHour(),
                      row.dtWhen.GetMinute(), row.dtWhen.GetSecond());
        const std::int64_t nSigned = row.nDirection == BillDirection::Out ? -row.nCents : row.nCents;
        std::string key = NumberText::Itoa(bill.nAccount) + "|" + when + "|" +
                          NumberText::Itoa(nSigned) + "|" +
                          (row.bHasBalance ? NumberText::Itoa(row.nBalance) : std::string()) +
                          "|" + std::string(row.strType) + "|" + std::string(row.strCounterparty);
        row.strOrder = bill.Keep(key + "|" + std::to_string(++seen[key]));
    }
}
