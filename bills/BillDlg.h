#pragma once

#include "bills/BillPlan.h"
#include "bills/BillRow.h"
#include "data/ADODatabase.h"
#include "platform/ui/Dialog.h"

#include <string>
#include <vector>

class CReportCtrl;
class QComboBox;
class QProgressBar;

/// 导入账单: reads an Alipay or WeChat Pay bill, lists every row as it will be stored (or
/// why it will not), lets the user choose whose bill it is, a row's category (remembered
/// for its counterparty) and a source's account (remembered for the source), tick a row
/// that looks typed by hand, and imports it all in one transaction with a progress bar and
/// a 取消 that rolls everything back.
class CBillDlg : public ui::Dialog {
public:
    enum { IDD = 240 };
    enum ControlId {
        IDC_FILE = 2401,
        IDC_CHOOSE_FILE = 2402,
        IDC_MEMBER = 2403,
        IDC_CATEGORY = 2404,
        IDC_ACCOUNT = 2405,
        IDC_TICK = 2406,
        IDC_ROWS = 2410,
        IDC_STATUS = 2411,
        IDC_PROGRESS = 2412,
        IDC_IMPORT = 2413,
        IDC_CANCEL_IMPORT = 2414,
        IDC_SCHEMES = 2619,
    };

    explicit CBillDlg(QWidget* parent = nullptr);
    ~CBillDlg() override;

    /// Reads a bill as 选择文件… does once a file is chosen; false with the message shown.
    bool LoadBill(const std::string& strPath);
    const std::vector<BillLine>& Lines() const { return m_lines; }
    /// Selects row `nRow` of the list as a click would.
    void SelectRow(int nRow);

protected:
    bool OnInitDialog() override;
    void OnCancel() override;

private:
    void OnChooseFile();
    void OnMemberChanged();
    void OnRowChosen();
    void OnCategoryChosen();
    void OnAccountChosen();
    void OnTick();
    void OnImport();
    bool BalanceAccepted();
    void Replan();
    void ShowRows();
    void EnableControls(bool bEnable);
    int ChosenLine() const;

    CADODatabase m_db;
    CReportCtrl* m_listRows;
    QProgressBar* m_progress = nullptr;
    BillFile m_bill;
    bool m_bLoaded = false;
    CBillPlanner m_planner;
    BillOptions m_options;
    std::vector<BillLine> m_lines;
    bool m_bFilling = false;
    bool m_bImporting = false;
    bool m_bCancel = false;
};
