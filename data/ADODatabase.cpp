#include "data/ADODatabase.h"

#include "data/ErrorText.h"
#include "platform/ado/ComError.h"
#include "platform/ado/Connection.h"

CADODatabase::CADODatabase() : m_pConnection(std::make_shared<ado::Connection>()) {}

CADODatabase::~CADODatabase() {
    try {
        Close();
    } catch (...) {
        // A destructor has no one to report to; the connection is released below anyway.
    }
    m_pConnection.reset();
    m_strConnection.clear();
    m_strLastError.clear();
    m_dwLastError = 0;
}

bool CADODatabase::IsOpen() const {
    return m_pConnection && m_pConnection->State() != ado::adStateClosed;
}

void CADODatabase::Close() {
    if (IsOpen())
        m_pConnection->Close();
}

bool CADODatabase::Open() {
    if (IsOpen())
        Close();
    ado::HRESULT hr = ado::S_OK;
    try {
        if (!m_pConnection)
            throw ado::ComError(ado::E_POINTER);
        hr = m_pConnection->Open(m_strConnection, "", "", 0);
    } catch (const ado::ComError& error) {
        HandleConnectionError(error);
    }
    return hr == ado::S_OK;
}

bool CADODatabase::BeginTrans() {
    if (!IsOpen())
        return false;
    try {
        m_pConnection->BeginTrans();
    } catch (const ado::ComError& error) {
        HandleConnectionError(error);
    }
    return true;
}

bool CADODatabase::CommitTrans() {
    if (!IsOpen())
        return false;
    try {
        return m_pConnection->CommitTrans() == ado::S_OK;
    } catch (const ado::ComError& error) {
        HandleConnectionError(error);
    }
}

bool CADODatabase::RollbackTrans() {
    if (!IsOpen())
        return false;
    try {
        return m_pConnection->RollbackTrans() == ado::S_OK;
    } catch (const ado::ComError& error) {
        HandleConnectionError(error);
    }
}

void CADODatabase::HandleConnectionError(const ado::ComError& error) {
    m_strErrorDescription = error.Description().value_or("");
    m_strLastError = "Connection String = " + m_strConnection + "\n" +
                     FormatEngineError("CADODataBase", error);
    m_dwLastError = static_cast<std::uint32_t>(error.Error());
    throw CADOException(error.Error(), m_strErrorDescription);
}
