#pragma once

#include "platform/ole/OleDateTime.h"

#include <cstdint>
#include <functional>
#include <string>

class CADODatabase;

/// One record as the phone gives it, checked and ready to write.
struct PhoneRecordFields {
    bool bPay = true;
    std::int64_t nCents = 0;
    std::string strMember;
    std::string strItem;
    COleDateTime date;
    std::string strNote;
    std::string strAccount; ///< an account's name; "" or "（不指定）" for none
};

/// What a write says, in the entry window's words.
struct PhoneWriteResult {
    bool bWritten = false;
    long nRecord = 0;
    std::string strMessage;
};

/// Writes one new record with the entry window's rules and outcomes (zero amount refused,
/// member and category must be in their lists as the ledger holds them now, a named account
/// must exist and not be stopped, the budget's line after an expense), then runs `alsoWrite` with the new record's number, all in one
/// transaction. The one place the phone page writes a record: when records gain a shared
/// writer, only this function changes.
PhoneWriteResult WritePhoneRecord(CADODatabase& db, const PhoneRecordFields& fields,
                                  const std::function<void(long nRecord, const std::string&)>& alsoWrite);

/// Rewrites record `nRecord` with the same checks, then runs `alsoWrite`, in one transaction.
PhoneWriteResult RewritePhoneRecord(CADODatabase& db, long nRecord, const PhoneRecordFields& fields,
                                    const std::function<void()>& alsoWrite = {});
