#include "platform/ado/Connection.h"

#include "platform/ado/EngineError.h"
#include "platform/ado/LedgerFile.h"
#include "platform/ado/PendingRead.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace ado {
namespace {

constexpr int kBusyTimeoutMs = 3000;

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

void Connection::CheckIsSqliteFile() const {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(m_path, ec))
        throw EngineError::Make(E_FAIL, "Could not find file '" + m_path + "'.");
    // Read the header ourselves: SQLite would take an empty file for a new database and
    // write to it, and it must never touch a file that is not ours.
    std::ifstream file(m_path, std::ios::binary);
    char header[16] = {};
    if (!file)
        throw EngineError::Make(E_FAIL, "Could not read file '" + m_path + "'.");
    file.read(header, sizeof header);
    if (file.gcount() != sizeof header || std::memcmp(header, "SQLite format 3", 16) != 0)
        throw EngineError::Make(E_FAIL, "The file '" + m_path +
                                            "' is not an SQLite database, so it cannot be "
                                            "opened as the data file.");
}

HRESULT Connection::Open(const std::string& connectionText, const std::string& /*user*/,
                         const std::string& /*password*/, long /*options*/) {
    if (m_db)
        throw EngineError::Make(ADO_E_OBJECTOPEN, "The connection is already open.");
    const std::string source = DataSource(connectionText);
    if (source.empty())
        throw EngineError::Make(E_FAIL, "The connection text names no data source.");
    m_path = std::filesystem::absolute(source).lexically_normal().string();
    CheckIsSqliteFile();

    // A connection belongs to one thread, so SQLite's own locking is not needed.
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(m_path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    DatabasePtr db(raw);
    if (rc != SQLITE_OK)
        throw EngineError::FromSqlite(rc, raw, m_path);
    sqlite3_extended_result_codes(raw, 1);
    sqlite3_busy_timeout(raw, kBusyTimeoutMs);
    // Whose file it is decides what may be changed: nothing at all in a foreign file, not
    // even its journal mode, and in a ledger made before the id only the rows.
    int readRc = SQLITE_OK;
    const LedgerKind kind = ClassifyLedger(raw, readRc);
    if (readRc != SQLITE_OK && readRc != SQLITE_NOTADB)
        throw EngineError::FromSqlite(readRc, raw, m_path);
    if (kind == LedgerKind::Foreign)
        throw EngineError::Make(E_FAIL, "The file '" + m_path +
                                            "' is not a Coffer data file, so it cannot be "
                                            "opened as the data file.");
    // The rollback journal with full syncs: a power cut or a killed process loses at most
    // the change that was being written. Only our own file is switched to it.
    if (kind == LedgerKind::Ours) {
        const int prc = sqlite3_exec(raw, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
        if (prc != SQLITE_OK)
            throw EngineError::FromSqlite(prc, raw, m_path);
    }
    // A page cache large enough for a year of records, so that a dialog asking again
    // does not read the file again.
    for (const char* pragma : {"PRAGMA synchronous=FULL", "PRAGMA cache_size=-32768"}) {
        const int prc = sqlite3_exec(raw, pragma, nullptr, nullptr, nullptr);
        if (prc != SQLITE_OK)
            throw EngineError::FromSqlite(prc, raw, m_path);
    }
    m_db = std::move(db);
    return S_OK;
}

HRESULT Connection::Close() {
    if (!m_db)
        return S_OK;
    for (PendingRead* reader : std::vector<PendingRead*>(m_readers))
        reader->ConnectionClosing();
    m_readers.clear();
    m_statements.clear();
    if (!sqlite3_get_autocommit(m_db.get()))
        sqlite3_exec(m_db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    m_db.reset();
    return S_OK;
}

sqlite3* Connection::Handle() const {
    if (!m_db)
        throw EngineError::Make(ADO_E_OBJECTCLOSED,
                                "Operation is not allowed when the connection is closed.");
    return m_db.get();
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

sqlite3_stmt* Connection::CachedStatement(const std::string& sql) {
    auto found = m_statements.find(sql);
    if (found != m_statements.end()) {
        sqlite3_reset(found->second.get());
        sqlite3_clear_bindings(found->second.get());
        return found->second.get();
    }
    sqlite3_stmt* raw = nullptr;
    const int rc = sqlite3_prepare_v3(Handle(), sql.c_str(), static_cast<int>(sql.size()),
                                      SQLITE_PREPARE_PERSISTENT, &raw, nullptr);
    StatementPtr statement(raw);
    if (rc != SQLITE_OK)
        ThrowError(rc);
    return m_statements.emplace(sql, std::move(statement)).first->second.get();
}

void Connection::Execute(const std::string& sql) {
    FinishPendingReads();
    const int rc = sqlite3_exec(Handle(), sql.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        ThrowError(rc);
}

void Connection::ThrowError(int rc) const {
    throw EngineError::FromSqlite(rc, m_db.get(), m_path);
}

long Connection::BeginTrans() {
    Execute("BEGIN IMMEDIATE");
    return 1;
}

HRESULT Connection::CommitTrans() {
    Execute("COMMIT");
    return S_OK;
}

HRESULT Connection::RollbackTrans() {
    Execute("ROLLBACK");
    return S_OK;
}

} // namespace ado
