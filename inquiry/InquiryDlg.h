#pragma once

#include "data/ADODatabase.h"
#include "inquiry/InquiryQuery.h"
#include "inquiry/InquiryTotals.h"
#include "platform/ole/OleDateTime.h"
#include "platform/ui/Dialog.h"

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>

class CADORecordset;
class CInquiryRows;
class CReportCtrl;
class QComboBox;
struct InquiryAccounts;
struct InquiryTwin;

/// The inquiry dialog shared by the income and expense twins: five queries (four quick
/// ranges and an interval) narrowed by member and category, listed one record per row, and
/// the row actions edit and delete. Everything that differs between the twins comes from
/// their InquiryTwin.
class CInquiryDlg : public ui::Dialog {
public:
    enum ControlId {
        IDC_TODAY = 1032,
        IDC_THIS_WEEK = 1038,
        IDC_THIS_MONTH = 1039,
        IDC_THIS_YEAR = 1040,
        IDC_INTERVAL_QUERY = 1042,
        IDC_FROM = 1054,
        IDC_TO = 1055,
        IDC_MEMBER_CHECK = 1052,
        IDC_MEMBER = 1018,
        IDC_ITEM_CHECK = 1053,
        IDC_ACCOUNT_CHECK = 1091, // below the conditions, in the room the window grew by
        IDC_ACCOUNT = 1092,
        IDC_PICTURES_CHECK = 1093, // 有凭证, left of 账户
        IDC_ITEM = 1019,
        IDC_EXPORT = 1060,
        IDC_TOTALS = 1070,
    };

    CInquiryDlg(const InquiryTwin& twin, QWidget* parent);
    ~CInquiryDlg() override;

    int GetResultListId() const;
    /// What the 凭证 column shows for a record with receipts: the paperclip where a font at
    /// hand draws it, else a plain mark.
    const std::string& GetPictureMark() const { return m_strPictureMark; }

    /// Opens the window on a listing of its own instead of an empty list: the preset's span
    /// and conditions are shown in the controls and its records listed. Call before the
    /// window is created; the buttons then work as always.
    void SetPreset(const InquiryPreset& preset) { m_preset = preset; }

protected:
    bool OnInitDialog() override;
    void DoDataExchange(ui::DataExchange& dx) override;

    void OnToday() { RunInquiry(InquiryKind::Today); }
    void OnThisWeek() { RunInquiry(InquiryKind::ThisWeek); }
    void OnThisMonth() { RunInquiry(InquiryKind::ThisMonth); }
    void OnThisYear() { RunInquiry(InquiryKind::ThisYear); }
    void OnIntervalQuery() { RunInquiry(InquiryKind::Interval); }
    void RunInquiry(InquiryKind kind);

    void OnResultDblClk(ui::NotifyInfo& info);
    void OnResultRClick(ui::NotifyInfo& info);
    void OnEditRecord();
    void OnDeleteRecord();
    void OnExport();

    QComboBox* m_cbMember = nullptr;
    CADODatabase m_db;
    QComboBox* m_cbItem = nullptr;
    CReportCtrl* m_listResult;
    COleDateTime m_dtFrom;
    COleDateTime m_dtTo;
    int m_bMember = 0;
    int m_bItem = 0;
    int m_bAccount = 0;
    int m_bPictures = 0;
    std::string m_strMember;
    std::string m_strItem;

private:
    void FillCombo(CADORecordset& recordset, const char* szTable, QComboBox* combo);
    /// A dialog that came up while the ledger was locked or missing has no connection: a
    /// query or a delete then opens it again and fills the combos as initialisation does.
    /// Engine errors reach the caller.
    void ReopenIfClosed();
    void InsertColumns();
    /// Fills the account condition: "（不指定）", then every account, stopped ones too.
    void FillAccounts();
    /// The accounts of the twin's records numbered nLow to nHigh.
    InquiryAccounts AccountNames(std::int64_t nLow, std::int64_t nHigh);
    /// The numbers of the twin's records that have receipts; empty for a ledger without them.
    std::unordered_set<std::int64_t> RecordsWithPictures();
    /// Marks row `nItem` by whether record `strId` has receipts now.
    void ShowPictureMark(int nItem, const std::string& strId);
    /// Lists the rows; a read error part-way leaves the list and the totals empty.
    void ListRecords(CADORecordset& recordset, const char* szDatePattern);
    void ListRows(CADORecordset& recordset, const char* szDatePattern);
    void ListPreset();
    void ShowTotals();
    /// The record's amount as stored; none when it cannot be read.
    std::optional<double> StoredAmount(const std::string& strId);

    const InquiryTwin& m_twin;
    // The listed records' values, which the list's rows show.
    std::shared_ptr<CInquiryRows> m_rows;
    std::optional<InquiryPreset> m_preset;
    // Kept only where the template shows the line.
    bool m_bTotals = false;
    CInquiryTotals m_totals;
    std::string m_strPictureMark;
};
