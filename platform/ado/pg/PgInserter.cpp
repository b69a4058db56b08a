#include "platform/ado/pg/PgInserter.h"

#include "platform/ado/pg/PgBackend.h"
#include "platform/ado/pg/PgError.h"
#include "platform/ado/pg/PgValues.h"

#include <libpq-fe.h>

#include <algorithm>
#include <cstdlib>

namespace ado {
namespace {

// The server takes at most 65,535 parameters a statement; far fewer keep each one small.
constexpr size_t kParamsPerStatement = 4000;

} // namespace

PgInserter::PgInserter(PgBackend& backend, std::string quotedTable,
                       std::vector<std::string> quotedColumns, std::string quotedKey)
    : m_backend(backend), m_table(std::move(quotedTable)), m_columns(std::move(quotedColumns)),
      m_batch(m_columns.empty() ? 1 : std::max<size_t>(1, kParamsPerStatement / m_columns.size())),
      m_fullText(Text(m_batch)),
      m_keyedText(quotedKey.empty() ? std::string() : Text(1) + " RETURNING " + quotedKey) {
    m_params.reserve(m_batch * m_columns.size());
}

std::string PgInserter::Text(size_t rows) const {
    if (m_columns.empty())
        return "INSERT INTO " + m_table + " DEFAULT VALUES";
    std::string text = "INSERT INTO " + m_table + " (";
    for (size_t i = 0; i < m_columns.size(); ++i)
        text += (i ? ", " : "") + m_columns[i];
    text += ") VALUES ";
    size_t parameter = 0;
    for (size_t row = 0; row < rows; ++row) {
        text += row ? ", (" : "(";
        for (size_t i = 0; i < m_columns.size(); ++i)
            text += (i ? ", $" : "$") + std::to_string(++parameter);
        text += ")";
    }
    return text;
}

void PgInserter::Add(const std::vector<Variant>& values) {
    if (m_columns.empty()) {
        m_backend.Query(m_fullText);
        return;
    }
    for (const Variant& value : values)
        m_params.push_back(PgValues::TextOf(value));
    if (m_params.size() >= m_batch * m_columns.size())
        Send(m_fullText);
}

std::int64_t PgInserter::AddNow(const std::vector<Variant>& values) {
    if (m_keyedText.empty())
        throw PgError::Make(ADO_E_NOTUPDATABLE,
                            "The rows of " + m_table + " have no integer key on the server.");
    Finish();
    PgSession::Params params;
    for (const Variant& value : values)
        params.push_back(PgValues::TextOf(value));
    const PgResultPtr result = m_backend.Prepared(m_keyedText, params);
    return std::strtoll(PQgetvalue(result.get(), 0, 0), nullptr, 10);
}

void PgInserter::Finish() {
    if (!m_params.empty())
        Send(Text(m_params.size() / m_columns.size()));
}

void PgInserter::Send(const std::string& text) {
    // The rows are gone either way: after a failure the transaction is lost too.
    try {
        m_backend.Query(text, m_params);
    } catch (...) {
        m_params.clear();
        throw;
    }
    m_params.clear();
}

} // namespace ado
