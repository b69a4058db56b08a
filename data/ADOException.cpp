#include "data/ADOException.h"

CADOException::CADOException(long lErrorCode, const std::string& strError)
    : m_lErrorCode(lErrorCode), m_strError(strError) {}

CADOException::~CADOException() = default;
