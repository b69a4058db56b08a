#pragma once

#include "inquiry/InquiryRowFormatter.h"
#include "platform/ole/OleDateTime.h"
#include "platform/ui/ListCells.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

/// One record as an inquiry listing reads it from the cursor.
struct InquiryRecord {
    bool bNumberId = false; // the record number read as a number: nId, not strId
    std::int64_t nId = 0;
    std::string strId;
    double dAmount = 0.0;
    // The names are borrowed from where they were read: valid until the record is added.
    std::string_view member;
    bool bDate = false;        // the date read as a date
    COleDateTime dtRecord;     // when bDate
    std::string strStoredDate; // when not: the text stored
    std::string_view item;
    bool bPictures = false; // the record has receipts
};

/// The accounts of a span of record numbers: each account's name once, and the records'
/// links in ascending record number.
struct InquiryAccounts {
    std::vector<std::string> names;
    std::vector<std::pair<std::int64_t, std::uint32_t>> links; // record number, its name
};

/// The records of an inquiry listing as their values, for the result list's value rows: a
/// number, the amount, the date, and the names of member and category kept once each. A
/// cell is written only when it is asked for, and gives the very text the listing showed
/// before: the record number as read, the amount as "%0.1f", the date by the listing's
/// pattern (a stored text that is no date as it stands), the names as stored, and the
/// receipts' mark for a record that has receipts.
class CInquiryRows : public ui::ListCells {
public:
    enum Column {
        ColumnId,
        ColumnAmount,
        ColumnMember,
        ColumnDate,
        ColumnItem,
        ColumnAccount,
        ColumnPictures,
    };

    /// Forgets every record; the dates of the next ones are written by `strDatePattern`.
    void Clear(const std::string& strDatePattern);
    /// What the 凭证 column shows for a record with receipts.
    void SetPictureMark(std::string strMark) { m_strPictureMark = std::move(strMark); }
    /// Keeps the record; returns its row.
    std::uint32_t Add(const InquiryRecord& record);
    /// Gives each kept record linked in `accounts` by its number that account's name (a
    /// record's cell looks its link up when it is asked for).
    void NameAccounts(InquiryAccounts accounts);
    std::uint32_t GetCount() const { return static_cast<std::uint32_t>(m_rows.size()); }

    /// "" for a row or column there is not.
    std::string Text(std::uint32_t nRow, int nColumn) const override;

private:
    static constexpr std::uint32_t kNone = 0xFFFFFFFF;

    struct Row {
        COleDateTime dtRecord;
        double dAmount;
        std::int64_t nId;      // the number, when its text is the plain decimal one
        std::uint32_t nIdText; // else the text, and kNone
        std::uint32_t nMember;
        std::uint32_t nItem;
        std::uint32_t nDateText; // a stored date that is no date, else kNone
        bool bPictures;
    };

    // A listing's members and categories are a handful of names met on every row: each
    // column remembers the texts it kept in a few slots chosen by their length and first and
    // last eight bytes (a name of up to 16 bytes, five Chinese characters, is then compared
    // whole), one compare a row; only a text not in its slot is hashed.
    static constexpr std::size_t kSlots = 16;
    struct Known {
        std::uint64_t nHead = 0; // the first eight bytes (a shorter text: all of them)
        std::uint64_t nTail = 0; // the last eight bytes of a text of eight or more, else 0
        std::uint32_t nLength = 0;
        std::uint32_t nIndex = kNone; // kNone: the slot is empty
    };

    std::uint32_t Keep(std::string_view text, Column column);
    void KeepId(std::int64_t nId, Row& row);
    std::string AccountName(const Row& row) const;

    std::vector<Row> m_rows;
    std::vector<std::string> m_texts;                           // each distinct text once
    std::unordered_map<std::string, std::uint32_t> m_textIndex; // every text kept
    Known m_known[ColumnItem + 1][kSlots];                      // each column's slots
    InquiryAccounts m_accounts;
    std::string m_strIdText; // room for writing a record number that is kept as text
    std::string m_strPictureMark;
    // Writing dates is stateful: the formatter keeps the last text of an hour.
    mutable CInquiryRowFormatter m_formatter{""};
};
