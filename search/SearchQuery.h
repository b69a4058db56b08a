#pragma once

#include "search/SearchText.h"

#include <optional>
#include <string>
#include <vector>

struct RecordTable;

/// Which engine a statement is written for: the file's SQLite or the server's PostgreSQL.
enum class SearchEngine { File, Server };

/// A half-open span of dates [lower, upper) that narrows a search further.
struct SearchSpan {
    COleDateTime dtLower;
    COleDateTime dtUpper;
};

/// The statement of one search over income and expense records together. Its rows, in no
/// particular order: 收支 (0 income, 1 expense), 编号, member, amount, date, category, note.
///
/// A word matches a record whose member, category or note holds it (Latin letters in either
/// case); a number word also matches a record of that amount, to the cent; a date word keeps
/// the records of that month or day. Every word must match. The index, where it is used,
/// only picks the candidates: the same conditions decide, so a search gives the same rows
/// with and without it.
class CSearchQuery {
public:
    /// Empty when there is nothing to search for (no word and no span).
    /// `accounts` are the names of the ledger's accounts (none without accounts): a word
    /// that one of them holds also matches the records of those accounts.
    static std::string BuildStatement(const std::vector<SearchWord>& words,
                                      const std::optional<SearchSpan>& span, SearchEngine engine,
                                      bool bIndex, const std::vector<std::string>& accounts = {});

    /// The text as a LIKE pattern finds it anywhere: %, _ and the escape character stand
    /// for themselves, quotes are doubled for the SQL literal.
    static std::string ContainsPattern(const std::string& strText);
    /// The word as a phrase of the file index's query language, or "" when the index
    /// cannot serve it (fewer than three characters, a date).
    static std::string IndexPhrase(const SearchWord& word);

    /// The file index of a record table.
    static const char* IndexTable(const RecordTable& table);

private:
    static std::string Select(const RecordTable& table, int nKind,
                              const std::vector<SearchWord>& words,
                              const std::optional<SearchSpan>& span, SearchEngine engine,
                              bool bIndex, const std::vector<std::string>& accounts);
    static std::string WordCondition(const RecordTable& table, const SearchWord& word,
                                     SearchEngine engine, bool bAccount);
    /// True when one of the account names holds the word (Latin letters in either case).
    static bool NamesAnAccount(const SearchWord& word, const std::vector<std::string>& accounts);
};
