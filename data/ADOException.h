#pragma once

#include <string>

/// An engine error caught by CADODatabase or CADORecordset: the engine's code (an HRESULT)
/// and its description. Copyable, thrown by value.
class CADOException {
public:
    CADOException(long lErrorCode, const std::string& strError);
    virtual ~CADOException();

    long GetErrorCode() const { return m_lErrorCode; }
    const std::string& GetErrorMessage() const { return m_strError; }

private:
    long m_lErrorCode;
    std::string m_strError;
};
