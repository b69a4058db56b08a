#include "data/ADORecordset.h"

#include "data/ADODatabase.h"
#include "data/ErrorText.h"
#include "data/FieldConversion.h"
#include "platform/ado/ComError.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"

#include <algorithm>
#include <cctype>

CADORecordset::CADORecordset(CADODatabase* pDatabase)
    : m_pRecordset(std::make_unique<ado::Recordset>()),
      m_pConnection(pDatabase ? pDatabase->GetActiveConnection() : nullptr) {
}

CADORecordset::~CADORecordset() {
    try {
        Close();
    } catch (...) {
        // Nothing to report to from a destructor; the cursor is released below anyway.
    }
    m_pRecordset.reset();
    m_strQuery.clear();
    m_strLastError.clear();
    m_dwLastError = 0;
    m_nEditStatus = EditNone;
}

bool CADORecordset::IsOpen() const {
    return m_pRecordset && m_pConnection && m_pConnection->State() != ado::adStateClosed &&
           m_pRecordset->State() != ado::adStateClosed;
}

void CADORecordset::Close() {
    if (!IsOpen())
        return;
    if (m_nEditStatus != EditNone) {
        m_pRecordset->CancelUpdate();
        m_nEditStatus = EditNone;
    }
    m_pRecordset->PutSort("");
    m_pRecordset->Close();
}

bool CADORecordset::Open(const std::string& strText, RecordsetOpenMode nMode) {
    return OpenCursor(strText, nMode, false);
}

bool CADORecordset::OpenForwardOnly(const std::string& strText) {
    return OpenCursor(strText, ModeQuery, true);
}

bool CADORecordset::OpenCursor(const std::string& strText, RecordsetOpenMode nMode,
                               bool bForwardOnly) {
    Close();
    if (!strText.empty())
        m_strQuery = strText;
    size_t start = 0;
    while (start < m_strQuery.size() && std::isspace(static_cast<unsigned char>(m_strQuery[start])))
        ++start;
    m_strQuery.erase(0, start);

    m_pRecordset->PutCursorType(ado::adOpenStatic);
    m_pRecordset->PutCursorLocation(ado::adUseClient);
    try {
        switch (nMode) {
        case ModeUnknown:
        case ModeQuery:
            m_pRecordset->Open(m_strQuery, m_pConnection,
                               bForwardOnly ? ado::adOpenForwardOnly : ado::adOpenStatic,
                               ado::adLockOptimistic, ado::adCmdUnknown);
            break;
        case ModeTable:
            m_pRecordset->Open(m_strQuery, m_pConnection, ado::adOpenKeyset, ado::adLockOptimistic,
                               ado::adCmdTable);
            break;
        default:
            // Stored procedures need a command object this engine does not have.
            return false;
        }
    } catch (const ado::ComError& error) {
        HandleRecordsetError(error);
    }
    return m_pRecordset->State() != ado::adStateClosed;
}

bool CADORecordset::ReadIntegers(const std::string& strText, std::vector<std::int64_t>& values) {
    Close();
    m_strQuery = strText;
    if (!m_pConnection || m_pConnection->State() == ado::adStateClosed)
        return false;
    try {
        m_pConnection->ReadIntegers(m_strQuery, values);
    } catch (const ado::ComError& error) {
        HandleRecordsetError(error);
    }
    return true;
}

bool CADORecordset::IsEOF() {
    return m_pRecordset->IsEOF();
}

bool CADORecordset::IsBOF() {
    return m_pRecordset->IsBOF();
}

void CADORecordset::MoveNext() {
    m_pRecordset->MoveNext();
}

long CADORecordset::GetRecordCount() {
    long count = m_pRecordset->RecordCount();
    if (count != -1)
        return count;
    // The engine did not know: count by walking.
    count = 0;
    if (!m_pRecordset->IsEOF())
        m_pRecordset->MoveFirst();
    while (!m_pRecordset->IsEOF()) {
        ++count;
        m_pRecordset->MoveNext();
    }
    if (count != 0)
        m_pRecordset->MoveFirst();
    return count;
}

ado::ValueView CADORecordset::ReadField(int nIndex) {
    try {
        return m_pRecordset->GetValueView(nIndex);
    } catch (const ado::ComError& error) {
        HandleRecordsetError(error);
    }
}

void CADORecordset::GetFieldViews(ado::ValueView* pViews, int nCount) {
    try {
        m_pRecordset->GetValueViews(pViews, static_cast<size_t>(std::max(nCount, 0)));
    } catch (const ado::ComError& error) {
        HandleRecordsetError(error);
    }
}

ado::ValueView CADORecordset::ReadField(const std::string& strFieldName) {
    try {
        return m_pRecordset->GetValueView(strFieldName);
    } catch (const ado::ComError& error) {
        HandleRecordsetError(error);
    }
}

bool CADORecordset::GetFieldValue(int nIndex, double& dValue) {
    dValue = FieldConversion::ToDouble(ReadField(nIndex));
    return true;
}

bool CADORecordset::GetFieldValue(int nIndex, std::string& strValue,
                                  const std::string& strDateFormat) {
    return FieldConversion::ToText(ReadField(nIndex), strDateFormat, strValue);
}

bool CADORecordset::GetFieldValue(const std::string& strFieldName, std::string& strValue,
                                  const std::string& strDateFormat) {
    return FieldConversion::ToText(ReadField(strFieldName), strDateFormat, strValue);
}

bool CADORecordset::GetFieldValue(int nIndex, COleDateTime& time) {
    return FieldConversion::ToDateTime(ReadField(nIndex), time);
}

bool CADORecordset::SetFieldValue(int nIndex, const std::string& strValue) {
    return PutFieldValue(nIndex, FieldConversion::FromText(strValue));
}

bool CADORecordset::SetFieldValue(const std::string& strFieldName, const std::string& strValue) {
    return PutFieldValue(strFieldName, FieldConversion::FromText(strValue));
}

bool CADORecordset::SetFieldValue(const std::string& strFieldName, double dValue) {
    return PutFieldValue(strFieldName, ado::Variant::Real(ado::VarKind::R8, dValue));
}

bool CADORecordset::SetFieldValue(const std::string& strFieldName, const COleDateTime& time) {
    return PutFieldValue(strFieldName, FieldConversion::FromDateTime(time));
}

bool CADORecordset::PutFieldValue(int nIndex, const ado::Variant& value) {
    if (m_nEditStatus == EditNone)
        return false;
    try {
        m_pRecordset->PutValue(nIndex, value);
    } catch (const ado::ComError& error) {
        HandleRecordsetError(error);
    }
    return true;
}

bool CADORecordset::PutFieldValue(const std::string& strFieldName, const ado::Variant& value) {
    if (m_nEditStatus == EditNone)
        return false;
    try {
        m_pRecordset->PutValue(strFieldName, value);
    } catch (const ado::ComError& error) {
        HandleRecordsetError(error);
    }
    return true;
}

bool CADORecordset::AddNew() {
    m_nEditStatus = EditNone;
    if (m_pRecordset->AddNew() != ado::S_OK)
        return false;
    m_nEditStatus = EditNew;
    return true;
}

bool CADORecordset::Update() {
    if (m_nEditStatus == EditNone)
        return true;
    ado::HRESULT hr = ado::S_OK;
    try {
        hr = m_pRecordset->Update();
    } catch (const ado::ComError& error) {
        HandleRecordsetError(error);
    }
    bool result = true;
    if (hr != ado::S_OK) {
        m_pRecordset->CancelUpdate();
        result = false;
    }
    m_nEditStatus = EditNone;
    return result;
}

bool CADORecordset::Delete() {
    if (m_pRecordset->Delete(ado::adAffectCurrent) != ado::S_OK)
        return false;
    if (m_pRecordset->Update() != ado::S_OK)
        return false;
    m_nEditStatus = EditNone;
    return true;
}

void CADORecordset::HandleRecordsetError(const ado::ComError& error) {
    m_strLastError = "Query = " + m_strQuery + "\n" + FormatEngineError("CADORecordset", error);
    m_dwLastError = static_cast<std::uint32_t>(error.Error());
    throw CADOException(error.Error(), error.Description().value_or(""));
}
