#pragma once

namespace ado::pg_types {

// The server's type oids that the ledger's columns and the usual expressions have.
enum TypeOid : unsigned {
    kBool = 16,
    kBytea = 17,
    kInt8 = 20,
    kInt2 = 21,
    kInt4 = 23,
    kText = 25,
    kFloat4 = 700,
    kFloat8 = 701,
    kMoney = 790,
    kBpchar = 1042,
    kVarchar = 1043,
    kDate = 1082,
    kTime = 1083,
    kTimestamp = 1114,
    kTimestampTz = 1184,
    kNumeric = 1700,
};

} // namespace ado::pg_types
