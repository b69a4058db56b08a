#pragma once

#include "data/ADODatabase.h"
#include "data/ADORecordset.h"

#include <sys/types.h>

namespace testing_support {

/// The server process serving an open server connection: a test stops it (SIGSTOP) to make
/// a real stalled server.
inline pid_t ServerProcessOf(CADODatabase& db) {
    CADORecordset rs(&db);
    double pid = 0;
    if (rs.Open("select pg_backend_pid()", CADORecordset::ModeQuery))
        rs.GetFieldValue(0, pid);
    rs.Close();
    return static_cast<pid_t>(pid);
}

} // namespace testing_support
