#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CADODatabase;
struct CRecordTwin;

/// A record's account. It lives beside the record, in the ledger's accountLink table keyed by
/// the record's table and 编号, so the record tables stay as they are; a record without a
/// link has no account ("（不指定）"), as every record of an older ledger has. Widget-free:
/// the record windows, the record writer and the accounts feature share it.
class CAccountLink {
public:
    /// What the account choice lists show for "no account".
    static constexpr const char* kNoAccount = "（不指定）";

    /// One account a record may be given.
    struct Choice {
        std::int64_t nId = 0;
        std::string strName;
    };

    /// True when the open ledger holds the account tables.
    static bool Present(CADODatabase& db);
    /// Gives the links of a ledger that holds accounts the index that lets a listing read the
    /// accounts of a span of records from the index alone (a ledger from before it lacks it).
    /// Nothing happens on a ledger without accounts. Engine errors are thrown.
    static void MakeIndexes(CADODatabase& db);
    /// The accounts a record may be given now (stopped ones are offered nowhere), in the
    /// accounts' order; empty when the ledger has no accounts. `bStoppedToo` for looking
    /// back (the inquiries), where stopped accounts still count.
    static std::vector<Choice> Choices(CADODatabase& db, bool bStoppedToo = false);
    /// The account named `strName`: its id, 0 when there is none. `bStopped` tells a stopped
    /// one (its id is still given).
    static std::int64_t Find(CADODatabase& db, const std::string& strName, bool& bStopped);
    /// The name of account `nAccount`; empty when there is none.
    static std::string Name(CADODatabase& db, std::int64_t nAccount);
    /// The account of record `nRecord` of `strTable`; 0 for none.
    static std::int64_t Of(CADODatabase& db, const std::string& strTable, std::int64_t nRecord);
    /// The date the record was reconciled on ('YYYY-MM-DD HH:MM:SS'); empty when it was not.
    static std::string ReconciledOn(CADODatabase& db, const std::string& strTable,
                                    std::int64_t nRecord);
    /// Gives the record the account `nAccount` (0 takes its account away). An unchanged
    /// account keeps its reconciliation mark; a changed one loses it. A record that is not
    /// (or no longer) in its table gets no link. Run it in the transaction that wrote the
    /// record; engine errors are thrown.
    static void Set(CADODatabase& db, const std::string& strTable, std::int64_t nRecord,
                    std::int64_t nAccount);
    /// The account of the member's latest record of this kind that has one, if it is still
    /// offered; 0 otherwise.
    static std::int64_t LastUsed(CADODatabase& db, const CRecordTwin& twin,
                                 const std::string& strMember);
};
