#include "data/ADOInserter.h"

#include "data/ADODatabase.h"
#include "data/ErrorText.h"
#include "data/FieldConversion.h"
#include "platform/ado/ComError.h"
#include "platform/ado/RowInserter.h"

CADOInserter::CADOInserter(CADODatabase* pDatabase, const std::string& strTable,
                           const std::vector<std::string>& columns)
    : m_strTable(strTable) {
    try {
        m_pInserter = std::make_unique<ado::RowInserter>(
            pDatabase ? pDatabase->GetActiveConnection() : nullptr, strTable, columns);
    } catch (const ado::ComError& error) {
        HandleError(error);
    }
    m_row.resize(columns.size(), ado::Variant::Null());
}

CADOInserter::~CADOInserter() = default;

void CADOInserter::SetFieldValue(int nIndex, const std::string& strValue) {
    // As FieldConversion::FromText makes it, in place.
    ado::Variant& value = m_row.at(static_cast<size_t>(nIndex));
    if (strValue.empty())
        value.SetNull();
    else
        value.SetText(strValue);
}

void CADOInserter::SetFieldValue(int nIndex, double dValue) {
    m_row.at(static_cast<size_t>(nIndex)) = ado::Variant::Real(ado::VarKind::R8, dValue);
}

void CADOInserter::SetFieldValue(int nIndex, const COleDateTime& time) {
    m_row.at(static_cast<size_t>(nIndex)) = FieldConversion::FromDateTime(time);
}

void CADOInserter::Add() {
    try {
        m_pInserter->Add(m_row);
    } catch (const ado::ComError& error) {
        ClearRow();
        HandleError(error);
    }
    ClearRow();
}

std::int64_t CADOInserter::Write(bool bHeld) {
    std::int64_t nKey = 0;
    try {
        nKey = bHeld ? m_pInserter->AddKeyed(m_row) : m_pInserter->AddNow(m_row);
    } catch (const ado::ComError& error) {
        ClearRow();
        HandleError(error);
    }
    ClearRow();
    return nKey;
}

std::int64_t CADOInserter::AddNow() {
    return Write(false);
}

std::int64_t CADOInserter::AddKeyed() {
    return Write(true);
}

void CADOInserter::Finish() {
    try {
        m_pInserter->Finish();
    } catch (const ado::ComError& error) {
        HandleError(error);
    }
}

void CADOInserter::ClearRow() {
    for (ado::Variant& value : m_row)
        value.SetNull();
}

void CADOInserter::HandleError(const ado::ComError& error) {
    m_strLastError = "Table = " + m_strTable + "\n" + FormatEngineError("CADOInserter", error);
    m_dwLastError = static_cast<std::uint32_t>(error.Error());
    throw CADOException(error.Error(), error.Description().value_or(""));
}
