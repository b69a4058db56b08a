#pragma once

#include "data/ADODatabase.h"
#include "platform/ole/OleDateTime.h"
#include "platform/ui/Dialog.h"
#include "search/SearchWorker.h"

#include <map>
#include <memory>
#include <string>
#include <utility>

class CReportCtrl;
class CSearchRows;
class QTimer;
struct InquiryTwin;

/// The 搜索 window: one search box whose text finds income and expense records by what
/// they say, as the user types; an optional period narrows further. The found records are
/// listed with a 收支 column before the inquiry list's columns and a totals line; a
/// double-click edits a record and the row menu deletes it, as in the inquiry windows.
class CSearchDlg : public ui::Dialog {
public:
    enum { IDD = 160 };
    enum ControlId {
        IDC_TEXT = 1301,
        IDC_RESULT = 1302,
        IDC_THIS_MONTH = 1101,
        IDC_THIS_YEAR = 1102,
        IDC_ALL = 1103,
        IDC_INTERVAL = 1104,
        IDC_FROM = 1054,
        IDC_TO = 1055,
        IDC_EXPORT = 1060,
        IDC_TOTALS = 1070,
    };
    /// How long typing must pause before the text is searched for.
    static constexpr int kPauseMs = 250;

    explicit CSearchDlg(QWidget* parent = nullptr);
    ~CSearchDlg() override;

    /// How many answers have been listed so far (for tests and automation).
    int GetAnswerCount() const { return m_nAnswers; }

protected:
    bool OnInitDialog() override;
    void DoDataExchange(ui::DataExchange& dx) override;
    /// Enter searches at once instead of ending the window.
    void OnOK() override;

    void OnTextChanged();
    void OnSearch();
    void OnResultDblClk(ui::NotifyInfo& info);
    void OnResultRClick(ui::NotifyInfo& info);
    void OnEditRecord();
    void OnDeleteRecord();
    void OnExport();

    CReportCtrl* m_listResult;
    CADODatabase m_db;
    int m_nPeriod = 2; // 全部
    COleDateTime m_dtFrom;
    COleDateTime m_dtTo;

private:
    void OnAnswer(SearchAnswer answer);
    void ShowTotals();
    /// The row's kind and record number; false when no row is selected.
    bool SelectedRecord(int& nItem, int& nKind, std::string& strId) const;
    static const InquiryTwin& TwinOf(int nKind);
    void Refresh(int nItem, int nKind, const std::string& strId);

    std::shared_ptr<CSearchRows> m_rows;
    // The listed rows by kind and number, for the totals; deleted ones are taken out.
    std::map<std::pair<int, std::int64_t>, std::size_t> m_listed;
    QTimer* m_timer;
    unsigned m_nTicket = 0;
    int m_nAnswers = 0;
    std::unique_ptr<CSearchWorker> m_worker;
};
