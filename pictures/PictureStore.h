#pragma once

#include "pictures/PreparedPicture.h"

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

class CADODatabase;

/// The receipts kept with the records, inside the ledger: each picture once, by the hash of
/// its bytes, with its thumbnail beside it, and a link per record it belongs to, keyed by the
/// record's table and 编号 (the record tables never change). The ledger's own triggers take a
/// record's links with it when any window, tool or second copy of Coffer deletes the record,
/// and a picture with it once no record links to it. No widgets.
class CPictureStore {
public:
    /// One picture of a record, without its full bytes.
    struct Thumbnail {
        std::int64_t nId = 0;
        int nWidth = 0;
        int nHeight = 0;
        std::int64_t nBytes = 0;  ///< the size of the full picture
        std::string strThumbnail; ///< JPEG bytes
    };

    explicit CPictureStore(CADODatabase& db) : m_db(db) {}

    /// True when the open ledger holds the picture tables.
    bool Present();
    /// Makes the picture tables after a verified backup of the ledger file, unless the ledger
    /// has them; false with the message for the user when the backup failed.
    bool Ensure(std::string& strError);

    /// Attaches the picture to record `nRecord` of `strTable` (normalIncome or normalPay);
    /// a picture the ledger holds already is linked, not stored again, and one the record has
    /// already is left as it is. Returns the picture's id; 0 when the record is not (or no
    /// longer) there. Run it inside the caller's transaction; engine errors are thrown.
    std::int64_t Attach(const std::string& strTable, std::int64_t nRecord,
                        const CPreparedPicture& picture);
    /// Takes the picture from the record; the ledger forgets a picture no record has.
    void Detach(const std::string& strTable, std::int64_t nRecord, std::int64_t nPicture);

    /// The record's pictures, in the order they were attached.
    std::vector<Thumbnail> Thumbnails(const std::string& strTable, std::int64_t nRecord);
    /// The full picture's JPEG bytes; empty when there is no such picture.
    std::string Picture(std::int64_t nPicture);
    /// How many pictures the record has.
    int Count(const std::string& strTable, std::int64_t nRecord);
    /// The 编号 of every record of the table that has a picture.
    std::unordered_set<std::int64_t> RecordsWithPictures(const std::string& strTable);
    /// How many pictures the ledger holds and their bytes, thumbnails included.
    void Totals(std::int64_t& nCount, std::int64_t& nBytes);

private:
    std::int64_t FindByHash(const std::string& strHash);
    std::int64_t Store(const CPreparedPicture& picture);
    bool RecordExists(const std::string& strTable, std::int64_t nRecord);

    CADODatabase& m_db;
};
