#include "platform/ado/Connection.h"

#include "platform/ado/EngineError.h"
#include "platform/ado/JetSql.h"
#include "platform/ado/LedgerLocation.h"
#include "platform/ado/PendingRead.h"
#include "platform/ado/pg/PgBackend.h"
#include "platform/ado/sqlite/SqliteBackend.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace ado {
namespace {

std::string Trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return std::string(text);
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The value of "Data Source=" in a "key=value;key=value" connection text.
std::string DataSource(const std::string& connectionText) {
    size_t start = 0;
    while (start <= connectionText.size()) {
        size_t end = connectionText.find(';', start);
        if (end == std::string::npos)
            end = connectionText.size();
        const std::string part = connectionText.substr(start, end - start);
        const size_t equals = part.find('=');
        if (equals != std::string::npos && Lower(Trim(part.substr(0, equals))) == "data source")
            return Trim(part.substr(equals + 1));
        start = end + 1;
    }
    return {};
}

} // namespace

std::string Connection::DataSourcePath(const std::string& connectionText) {
    const std::string source = DataSource(connectionText);
    return source.empty() ? std::string()
                          : std::filesystem::absolute(source).lexically_normal().string();
}

Connection::Connection() = default;

Connection::~Connection() {
    try {
        Close();
    } catch (...) {
        // Closing cannot fail in a way the owner could act on here.
    }
}

HRESULT Connection::Open(const std::string& connectionText, const std::string& /*user*/,
                         const std::string& /*password*/, long /*options*/) {
    if (m_backend)
        throw EngineError::Make(ADO_E_OBJECTOPEN, "The connection is already open.");
    const std::string source = DataSource(connectionText);
    if (source.empty())
        throw EngineError::Make(E_FAIL, "The connection text names no data source.");
    // The household ledger is wherever the setting says; a server URI is that server's
    // ledger; any other name is that file.
    const std::string ledger = LedgerLocation::Resolve(source);
    if (LedgerLocation::IsServer(ledger)) {
        m_location = PgBackend::Describe(ledger);
        m_backend = std::make_unique<PgBackend>(ledger);
        return S_OK;
    }
    m_location = ledger;
    m_backend = std::make_unique<SqliteBackend>(m_location);
    return S_OK;
}

HRESULT Connection::Close() {
    if (!m_backend)
        return S_OK;
    for (PendingRead* reader : std::vector<PendingRead*>(m_readers))
        reader->ConnectionClosing();
    m_readers.clear();
    m_backend->Close();
    m_backend.reset();
    return S_OK;
}

Backend& Connection::Engine() const {
    if (!m_backend)
        throw EngineError::Make(ADO_E_OBJECTCLOSED,
                                "Operation is not allowed when the connection is closed.");
    return *m_backend;
}

void Connection::Register(PendingRead* reader) {
    if (std::find(m_readers.begin(), m_readers.end(), reader) == m_readers.end())
        m_readers.push_back(reader);
}

void Connection::Unregister(PendingRead* reader) {
    m_readers.erase(std::remove(m_readers.begin(), m_readers.end(), reader), m_readers.end());
}

void Connection::FinishPendingReads() {
    for (PendingRead* reader : std::vector<PendingRead*>(m_readers))
        reader->FinishRead();
}

std::unique_ptr<BackendRows> Connection::Run(const std::string& sql) {
    return Engine().Run(sql, [this] { FinishPendingReads(); });
}

void Connection::ReadIntegers(const std::string& sql, std::vector<std::int64_t>& values) {
    if (std::unique_ptr<BackendRows> rows = Engine().Read(JetSql::TranslateDateLiterals(sql),
                                                          [this] { FinishPendingReads(); }))
        rows->ReadIntegers(values);
}

void Connection::Execute(const std::string& sql) {
    Backend& engine = Engine();
    FinishPendingReads();
    engine.Execute(sql);
}

std::int64_t Connection::Insert(const std::string& table, const std::vector<std::string>& columns,
                                const std::vector<Variant>& values) {
    Backend& engine = Engine();
    FinishPendingReads();
    return engine.Insert(table, columns, values);
}

long Connection::Change(const std::string& table, std::int64_t key,
                        const std::vector<std::string>& columns,
                        const std::vector<Variant>& values) {
    Backend& engine = Engine();
    FinishPendingReads();
    return engine.Change(table, key, columns, values);
}

void Connection::Delete(const std::string& table, std::int64_t key) {
    Backend& engine = Engine();
    FinishPendingReads();
    engine.Delete(table, key);
}

long Connection::BeginTrans() {
    Backend& engine = Engine();
    FinishPendingReads();
    engine.Begin();
    return 1;
}

HRESULT Connection::CommitTrans() {
    Backend& engine = Engine();
    FinishPendingReads();
    engine.Commit();
    return S_OK;
}

HRESULT Connection::RollbackTrans() {
    Backend& engine = Engine();
    FinishPendingReads();
    engine.Rollback();
    return S_OK;
}

} // namespace ado
