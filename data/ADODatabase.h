#pragma once

#include "data/ADOException.h"

#include <cstdint>
#include <memory>
#include <string>

namespace ado {
class Connection;
class ComError;
} // namespace ado

/// One connection to the data file. Set the connection text, Open, build CADORecordsets on
/// it, and let the destructor close it.
///
/// Errors: an engine error inside Open and the transaction calls is recorded (last error
/// text and code) and thrown as CADOException; engine errors of Close and IsOpen reach the
/// caller as ado::ComError.
class CADODatabase {
public:
    CADODatabase();
    virtual ~CADODatabase();
    CADODatabase(const CADODatabase&) = delete;
    CADODatabase& operator=(const CADODatabase&) = delete;

    void SetConnectionString(const std::string& strConnection) { m_strConnection = strConnection; }
    std::string GetConnectionString() const { return m_strConnection; }

    /// True only when the engine opened the connection with S_OK; an open connection is
    /// closed and opened again.
    bool Open();
    void Close();
    bool IsOpen() const;

    /// Writes of several rows that must land together. False when the connection is closed.
    bool BeginTrans();
    bool CommitTrans();
    bool RollbackTrans();

    /// The engine connection, shared with the recordsets built on it.
    std::shared_ptr<ado::Connection> GetActiveConnection() const { return m_pConnection; }

    std::string GetLastErrorString() const { return m_strLastError; }
    std::string GetErrorDescription() const { return m_strErrorDescription; }
    std::uint32_t GetLastError() const { return m_dwLastError; }

private:
    [[noreturn]] void HandleConnectionError(const ado::ComError& error);

    std::shared_ptr<ado::Connection> m_pConnection;
    std::string m_strConnection;
    std::string m_strLastError;
    std::string m_strErrorDescription;
    std::uint32_t m_dwLastError = 0;
};
