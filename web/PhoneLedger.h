#pragma once

#include "data/ADODatabase.h"
#include "pictures/PreparedPicture.h"
#include "web/FormDecoding.h"
#include "web/PhoneRecordWrite.h"

#include <QtGlobal>

#include <optional>
#include <string>
#include <vector>

/// What the phone page reads from and writes to the ledger (file or server), through one
/// connection kept open between requests. Every submission carries an id made on the phone;
/// the ledger remembers each written one with its outcome (table phoneSubmission, a ledger
/// addition), so a retried submission answers the same and writes nothing.
class CPhoneLedger {
public:
    /// A record as the page lists it.
    struct Record {
        bool bPay = true;
        long nId = 0;
        std::string strMember, strItem, strNote;
        std::string strAccount; ///< "（不指定）" when it has none
        std::int64_t nCents = 0;
        COleDateTime date;
        bool bPictures = false; ///< it has receipts
        int nPictures = 0;      ///< how many (read for the last record only)
    };
    /// What the phone typed, before any check.
    struct Entry {
        bool bPay = true;
        std::string strAmount, strMember, strItem, strWhen, strNote;
        std::string strAccount; ///< "" or "（不指定）" for none
    };

    static constexpr qint64 kCorrectSeconds = 10 * 60;
    static constexpr std::size_t kMaxNoteCharacters = 200;
    /// Receipt photos one submission may bring.
    static constexpr std::size_t kMaxPictures = 4;

    explicit CPhoneLedger(std::string strConnection);

    /// Opens the connection when it is not open; false with `strError` when it cannot.
    bool Open(std::string& strError);
    CADODatabase& Database() { return m_db; }

    std::vector<std::string> Members();
    std::vector<std::string> Categories(bool bPay);
    /// The accounts a record may be given, "（不指定）" first; empty without accounts.
    std::vector<std::string> Accounts();
    /// The account the member's last record of this kind had, if it is still offered.
    std::string LastAccount(const std::string& strMember, bool bPay);

    /// Checks and writes one submission with its receipt photos (a file's bytes each, made
    /// ready as the windows make a picture ready), all in one transaction; a submission id
    /// seen before returns the outcome it had and writes nothing. `nNow` (seconds since the
    /// epoch) dates the submission.
    PhoneWriteResult Submit(const std::string& strSubmissionId, const std::string& strDeviceId,
                            const Entry& entry, qint64 nNow,
                            const std::vector<std::string>& pictures = {});

    /// Records of `strMember` in the month of `now`, newest first.
    std::vector<Record> MonthRecords(const std::string& strMember, const COleDateTime& now);

    /// The last record this device wrote, while it may still be corrected (10 minutes).
    std::optional<Record> LastRecord(const std::string& strDeviceId, qint64 nNow);
    /// Rewrites that record as `entry` says and attaches `pictures` to it, in one transaction.
    PhoneWriteResult Correct(const std::string& strDeviceId, const Entry& entry, qint64 nNow,
                             const std::vector<std::string>& pictures = {});
    PhoneWriteResult Delete(const std::string& strDeviceId, qint64 nNow);

    /// Checks what was typed; an empty message when it may be written.
    std::string Read(const Entry& entry, PhoneRecordFields& fields) const;

private:
    bool EnsureTables(std::string& strError);
    /// The photos made ready and the picture tables there; an empty message when all is well.
    std::string PreparePictures(const std::vector<std::string>& pictures,
                                std::vector<CPreparedPicture>& prepared);
    /// Attaches them to the record; returns the record's line about its receipts ("" for none).
    std::string AttachPictures(bool bPay, long nRecord, const std::vector<CPreparedPicture>& prepared);
    std::vector<std::string> List(const char* szTable);

    std::string m_strConnection;
    CADODatabase m_db;
    bool m_bTables = false;
};
