#include "platform/ado/RowInserter.h"

#include "platform/ado/Connection.h"
#include "platform/ado/EngineError.h"
#include "platform/ado/JetSql.h"
#include "platform/ado/ValueCodec.h"

namespace ado {

RowInserter::RowInserter(const std::shared_ptr<Connection>& connection, const std::string& table,
                         const std::vector<std::string>& columns)
    : m_connection(connection) {
    if (!m_connection)
        throw EngineError::Make(ADO_E_OBJECTCLOSED,
                                "Operation is not allowed when the connection is closed.");
    Backend& engine = m_connection->Engine();
    std::vector<ColumnInfo> all;
    {
        // Only the column list is wanted: no row is read.
        const std::unique_ptr<BackendRows> rows = engine.OpenTable(table);
        all = rows->Columns();
    }
    std::vector<std::string> names;
    for (const std::string& column : columns) {
        auto found = all.begin();
        while (found != all.end() && !JetSql::SameName(found->name, column))
            ++found;
        if (found == all.end())
            throw EngineError::Make(ADO_E_ITEMNOTFOUND,
                                    "Item cannot be found in the collection corresponding to "
                                    "the requested name or ordinal: '" +
                                        column + "'.");
        m_columns.push_back(*found);
        names.push_back(found->originName);
    }
    m_inserter = engine.PrepareInsert(table, names);
    m_backend = &engine;
}

RowInserter::~RowInserter() = default;

BackendInserter& RowInserter::Inserter() const {
    if (&m_connection->Engine() != m_backend)
        throw EngineError::Make(ADO_E_OBJECTCLOSED,
                                "Operation is not allowed when the connection is closed.");
    return *m_inserter;
}

void RowInserter::Add(std::vector<Variant>& values) {
    Prepared(values).Add(values);
}

std::int64_t RowInserter::AddNow(std::vector<Variant>& values) {
    return Prepared(values).AddNow(values);
}

std::int64_t RowInserter::AddKeyed(std::vector<Variant>& values) {
    return Prepared(values).AddKeyed(values);
}

BackendInserter& RowInserter::Prepared(std::vector<Variant>& values) {
    if (values.size() != m_columns.size())
        throw EngineError::Make(ADO_E_INVALIDARGUMENT,
                                "The row has " + std::to_string(values.size()) + " values for " +
                                    std::to_string(m_columns.size()) + " columns.");
    BackendInserter& inserter = Inserter();
    for (size_t i = 0; i < values.size(); ++i)
        ValueCodec::CoerceInPlace(m_columns[i], values[i]);
    // A cursor part-way through its rows would keep the write from committing.
    m_connection->FinishPendingReads();
    return inserter;
}

void RowInserter::Finish() {
    BackendInserter& inserter = Inserter();
    // The rows held back are written now, and a cursor part-way would keep them out.
    m_connection->FinishPendingReads();
    inserter.Finish();
}

} // namespace ado
