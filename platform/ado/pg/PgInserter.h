#pragma once

#include "platform/ado/Backend.h"

#include <optional>
#include <string>
#include <vector>

namespace ado {

class PgBackend;

/// Many rows into one table on the server: rows are gathered and sent a few hundred at a
/// time as one INSERT with many VALUES lists, so that a long import costs a few hundred
/// round trips instead of one per row.
class PgInserter : public BackendInserter {
public:
    /// `table`, `columns` and `key` (the table's integer key; empty when it has none) are
    /// the server's names, already quoted.
    PgInserter(PgBackend& backend, std::string quotedTable, std::vector<std::string> quotedColumns,
               std::string quotedKey);

    void Add(const std::vector<Variant>& values) override;
    /// One row, sent at once through a statement prepared once, returning its key.
    std::int64_t AddNow(const std::vector<Variant>& values) override;
    void Finish() override;

private:
    /// The INSERT for `rows` rows.
    std::string Text(size_t rows) const;
    /// Sends the gathered rows with `text`.
    void Send(const std::string& text);

    PgBackend& m_backend;
    std::string m_table;
    std::vector<std::string> m_columns;
    size_t m_batch; // rows a full statement carries
    std::string m_fullText;
    std::string m_keyedText; // one row, returning its key; empty without a key
    std::vector<std::optional<std::string>> m_params;
};

} // namespace ado
