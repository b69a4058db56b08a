#include "platform/ado/Backend.h"

namespace ado {
namespace {

// Row after row through the engine's own Insert.
class InsertEach : public BackendInserter {
public:
    InsertEach(Backend& backend, std::string table, std::vector<std::string> columns)
        : m_backend(backend), m_table(std::move(table)), m_columns(std::move(columns)) {}

    void Add(const std::vector<Variant>& values) override {
        m_backend.Insert(m_table, m_columns, values);
    }
    void Finish() override {}

private:
    Backend& m_backend;
    std::string m_table;
    std::vector<std::string> m_columns;
};

} // namespace

std::unique_ptr<BackendInserter> Backend::PrepareInsert(const std::string& table,
                                                        const std::vector<std::string>& columns) {
    return std::make_unique<InsertEach>(*this, table, columns);
}

} // namespace ado
