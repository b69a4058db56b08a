#include "search/SearchQuery.h"

#include "data/FormatDateTime.h"
#include "data/SqlText.h"
#include "exchange/RecordTable.h"

#include <algorithm>
#include <cctype>

namespace {

std::string DateLiteral(const COleDateTime& date) {
    return "#" + FormatDateTime(date, "%Y-%m-%d") + "#";
}

std::string AmountText(std::int64_t nCents) {
    const std::string cents = std::to_string(nCents % 100);
    return std::to_string(nCents / 100) + "." + (cents.size() == 1 ? "0" + cents : cents);
}

std::string AsciiLower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

bool CSearchQuery::NamesAnAccount(const SearchWord& word, const std::vector<std::string>& accounts) {
    if (word.kind == SearchWord::Date)
        return false;
    const std::string wanted = AsciiLower(word.strText);
    return std::any_of(accounts.begin(), accounts.end(), [&](const std::string& name) {
        return AsciiLower(name).find(wanted) != std::string::npos;
    });
}

const char* CSearchQuery::IndexTable(const RecordTable& table) {
    return &table == &kIncomeRecords ? "searchIncome" : "searchPay";
}

std::string CSearchQuery::ContainsPattern(const std::string& strText) {
    std::string pattern = "%";
    for (const char c : strText) {
        if (c == '%' || c == '_' || c == '\\')
            pattern += '\\';
        pattern += c;
    }
    return QuoteSql(pattern + "%");
}

std::string CSearchQuery::IndexPhrase(const SearchWord& word) {
    if (word.kind == SearchWord::Date || word.Length() < 3)
        return "";
    std::string phrase = "\"";
    for (const char c : word.strText)
        phrase += c == '"' ? std::string("\"\"") : std::string(1, c);
    phrase += "\"";
    // The index holds each amount as its text with two decimals.
    if (word.kind == SearchWord::Number)
        phrase = "(" + phrase + " OR amount : \"" + AmountText(word.nCents) + "\")";
    return phrase;
}

std::string CSearchQuery::WordCondition(const RecordTable& table, const SearchWord& word,
                                        SearchEngine engine, bool bAccount) {
    if (word.kind == SearchWord::Date)
        return std::string(table.szDateColumn) + " >= " + DateLiteral(word.dtLower) + " and " +
               table.szDateColumn + " < " + DateLiteral(word.dtUpper);
    // LIKE on the file ignores the case of ASCII letters only; the server's ILIKE that of
    // every letter. Either way the index, where used, only narrows what this decides.
    // The server's escape character is the backslash already; naming it there would hide
    // the pattern from its trigram index. The file needs it named, but only a pattern that
    // uses it pays for it.
    const std::string like = engine == SearchEngine::File ? " like '" : " ilike '";
    const std::string pattern = ContainsPattern(word.strText);
    const bool bEscaped = word.strText.find_first_of("%_\\") != std::string::npos;
    const std::string escape = engine == SearchEngine::File && bEscaped ? "' escape '\\'" : "'";
    std::string condition;
    for (const char* column : {table.szMemberColumn, table.szItemColumn, "备注"})
        condition +=
            (condition.empty() ? "(" : " or ") + std::string(column) + like + pattern + escape;
    if (word.kind == SearchWord::Number)
        condition += std::string(" or round(") + table.szAmountColumn +
                     " * 100) = " + std::to_string(word.nCents);
    // Only a word some account's name holds asks the links, so other searches stay as fast.
    if (bAccount)
        condition += std::string(" or 编号 in (select 编号 from accountLink where 表 = '") +
                     table.szTable + "' and 账户 in (select ID from accountList where 名称" +
                     like + pattern + escape + "))";
    return condition + ")";
}

std::string CSearchQuery::Select(const RecordTable& table, int nKind,
                                 const std::vector<SearchWord>& words,
                                 const std::optional<SearchSpan>& span, SearchEngine engine,
                                 bool bIndex, const std::vector<std::string>& accounts) {
    std::string select = "select " + std::to_string(nKind) + " as 收支, 编号, " +
                         table.szMemberColumn + ", " + table.szAmountColumn + ", " +
                         table.szDateColumn + ", " + table.szItemColumn + ", 备注 from " +
                         table.szTable;
    std::string where;
    const auto add = [&where](const std::string& condition) {
        where += (where.empty() ? " where " : " and ") + condition;
    };
    if (bIndex && engine == SearchEngine::File) {
        std::string match;
        for (const SearchWord& word : words) {
            // The index holds no account names: such a word is left to its condition.
            const std::string phrase = NamesAnAccount(word, accounts) ? "" : IndexPhrase(word);
            if (!phrase.empty())
                match += (match.empty() ? "" : " AND ") + phrase;
        }
        if (!match.empty())
            add(std::string("编号 in (select rowid from ") + IndexTable(table) + " where " +
                IndexTable(table) + " match '" + QuoteSql(match) + "')");
    }
    for (const SearchWord& word : words)
        add(WordCondition(table, word, engine, NamesAnAccount(word, accounts)));
    if (span)
        add(std::string(table.szDateColumn) + " >= " + DateLiteral(span->dtLower) + " and " +
            table.szDateColumn + " < " + DateLiteral(span->dtUpper));
    return select + where;
}

std::string CSearchQuery::BuildStatement(const std::vector<SearchWord>& words,
                                         const std::optional<SearchSpan>& span, SearchEngine engine,
                                         bool bIndex, const std::vector<std::string>& accounts) {
    if (words.empty() && !span)
        return "";
    // No order: sorting by date would lead the file's engine to read every record through
    // the date index; the rows found are put in order once read.
    return Select(kIncomeRecords, 0, words, span, engine, bIndex, accounts) + " union all " +
           Select(kPayRecords, 1, words, span, engine, bIndex, accounts);
}
