#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CADODatabase;
class CADOInserter;
struct CNewRecord;
struct CRecordTwin;

/// What the record writer uses while it writes many records in one transaction (a bill):
/// the lists and the accounts read once, the record tables opened once, and the rows
/// attached to each record (its account, its source and order number) added through inserts
/// prepared once, the account links of consecutive records of one account by one statement;
/// the records and those rows are held back and written many to a statement, so nothing may
/// read the record tables until Finish. Each answer and each row is the one the writer's single-record path gives;
/// only the engine's work per record shrinks to the inserts themselves, so the triggers on
/// the tables (the search index, the links' upkeep) see the same rows.
class CRecordBatch {
public:
    explicit CRecordBatch(CADODatabase& db);
    ~CRecordBatch();
    CRecordBatch(const CRecordBatch&) = delete;
    CRecordBatch& operator=(const CRecordBatch&) = delete;

    /// Whether `strEntry` is an entry of the list table `strTable`; `bEmpty` when the list
    /// has none (or cannot be opened). The list is read the first time it is asked for.
    bool InList(const char* szTable, const std::string& strEntry, bool& bEmpty);
    /// The account named `strName`: its id, 0 when there is none; `bStopped` for a stopped one.
    std::int64_t FindAccount(const std::string& strName, bool& bStopped);
    /// Writes a checked record, its account link (`nAccount`, 0: none) and its source and
    /// order number. Engine errors are thrown, a row the engine refuses among them.
    void Write(const CNewRecord& record, const CRecordTwin& twin, std::int64_t nCents,
               std::int64_t nAccount, std::int64_t& nRecord);
    /// Writes what the inserts still hold back; call it before the transaction commits.
    void Finish();

private:
    struct Account {
        std::int64_t nId = 0;
        bool bStopped = false;
    };
    /// A list table's entries, read once; a bill's records mostly name the entry the one
    /// before named.
    struct List {
        std::string strTable;
        std::vector<std::string> entries; // empty: none
        std::size_t nLast = 0;            // the entry found last
    };
    /// Records of one table with consecutive keys and one account: a bill's mostly are.
    struct LinkRun {
        const char* szTable = nullptr;
        std::int64_t nFirst = 0;
        std::int64_t nLast = 0;
        std::int64_t nAccount = 0;
    };
    void LoadAccounts();
    void WriteLinks();

    CADODatabase& m_db;
    std::vector<List> m_lists;
    bool m_bAccountsRead = false;
    bool m_bAccountsPresent = false;
    std::map<std::string, Account> m_accounts; // by name
    const std::pair<const std::string, Account>* m_pLastAccount = nullptr; // found last
    std::map<std::string, std::unique_ptr<CADOInserter>> m_records; // by table
    std::vector<LinkRun> m_linkRuns; // written once the records are in
    std::unique_ptr<CADOInserter> m_links; // for short runs
    std::unique_ptr<CADOInserter> m_orders;
};
