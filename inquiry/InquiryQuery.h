#pragma once

#include "platform/ole/OleDateTime.h"

#include <cstdint>
#include <optional>
#include <string>

struct InquiryTwin;

/// The five queries of an inquiry dialog.
enum class InquiryKind { Today, ThisWeek, ThisMonth, ThisYear, Interval };

/// The member and category conditions as the dialog's controls hold them.
struct InquiryConditions {
    int bMember = 0;
    std::string strMember;
    int bItem = 0;
    std::string strItem;
    int bAccount = 0;
    std::int64_t nAccount = 0; // 0: the records without an account
    int bPictures = 0;         // 有凭证: only the records with receipts
};

/// A listing asked for from outside the dialog, as the statistics count: the records of
/// the half-open span [lower, upper) of whole days, so a record at midnight on the first
/// day is in and one at midnight on the day after the last is out (the quick ranges' strict
/// lower bound stays as it is); without a span, every record, undated ones too. A
/// condition is an exact value; an empty one stands for records with no value.
struct InquiryPreset {
    bool bSpan = false;
    COleDateTime dtLower;
    COleDateTime dtUpper;
    std::optional<std::string> member;
    std::optional<std::string> item;
    std::optional<std::int64_t> account; // 0: the records without an account
};

/// One query of an inquiry dialog: its two bound dates, its SQL text and the pattern of
/// its date cells, for one of the twin dialogs.
class CInquiryQuery {
public:
    CInquiryQuery(const InquiryTwin& twin, InquiryKind kind) : m_twin(twin), m_kind(kind) {}

    /// Works out the bounds from "now" (the quick ranges) or the two pickers (the interval).
    void ComputeBounds(const COleDateTime& now, const COleDateTime& from, const COleDateTime& to);
    const COleDateTime& GetLower() const { return m_dtLower; }
    const COleDateTime& GetUpper() const { return m_dtUpper; }

    /// The statement for the bounds worked out last. Condition texts are quoted, so an
    /// apostrophe in a name matches that name instead of breaking the statement.
    std::string BuildStatement(const InquiryConditions& conditions) const;
    /// " where …" with the preset's span and conditions, or "" when it has none.
    static std::string BuildPresetConditions(const InquiryTwin& twin, const InquiryPreset& preset);
    /// The statement of a preset listing.
    static std::string BuildPresetStatement(const InquiryTwin& twin, const InquiryPreset& preset);
    /// " and …" keeping the records of the twin's table linked to `nAccount` (0: those
    /// linked to none).
    static std::string AccountCondition(const InquiryTwin& twin, std::int64_t nAccount);
    /// " and …" keeping the records of the twin's table that have receipts. Only for a
    /// ledger that keeps receipts.
    static std::string PicturesCondition(const InquiryTwin& twin);
    /// The strftime pattern of this query's date cells.
    const char* GetDatePattern() const;

private:
    const InquiryTwin& m_twin;
    InquiryKind m_kind;
    COleDateTime m_dtLower;
    COleDateTime m_dtUpper;
};
