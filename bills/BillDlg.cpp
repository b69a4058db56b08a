#include "bills/BillDlg.h"

#include "bills/AnyBill.h"
#include "bills/BankBalance.h"
#include "bills/BankSchemeDlg.h"
#include "bills/BankTexts.h"
#include "bills/BillImport.h"
#include "bills/BillTexts.h"
#include "controls/ReportCtrl.h"
#include "platform/skin/SkinEngine.h"
#include "platform/ui/DialogUnits.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/MessageBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>

#include <algorithm>
#include <cstdio>

namespace {

const char* const kConnection = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data.mdb";
const char* const kChooseBill = "选择账单文件";
// An old Excel statement can be chosen, to be told plainly how to read it.
const char* const kFilterBills = "账单 (*.csv *.xls *.xlsx)";
const char* const kNoAccountChoice = "（不指定）";

const char* KindText(const BillLine& line) {
    switch (line.nKind) {
    case BillLine::Income:
        return BillTexts::kIncome;
    case BillLine::Expense:
        return BillTexts::kExpense;
    case BillLine::Transfer:
        return BillTexts::kTransfer;
    case BillLine::Skipped:
        break;
    }
    return BillTexts::kSkipped;
}

std::string WhenText(const COleDateTime& when) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", when.GetYear(), when.GetMonth(),
                  when.GetDay(), when.GetHour(), when.GetMinute());
    return text;
}

} // namespace

CBillDlg::CBillDlg(QWidget* parent) : ui::Dialog(IDD, parent), m_listRows(new CReportCtrl(this)) {
    UseControl(IDC_ROWS, m_listRows);
    OnCommand(ui::IDOK, [] {}); // Enter neither imports nor closes
    OnCommand(IDC_CHOOSE_FILE, [this] { OnChooseFile(); });
    OnCommand(IDC_IMPORT, [this] { OnImport(); });
    OnCommand(IDC_CANCEL_IMPORT, [this] { m_bCancel = true; });
    OnCommand(IDC_TICK, [this] { OnTick(); });
    OnCommand(IDC_SCHEMES, [this] {
        CBankSchemeDlg dlg(std::nullopt, this);
        dlg.DoModal();
    });
    for (auto code : {ui::Notification::Click, ui::Notification::SelChange})
        OnNotify(IDC_ROWS, code, [this](ui::NotifyInfo&) { OnRowChosen(); });
    OnNotify(IDC_MEMBER, ui::Notification::SelChange, [this](ui::NotifyInfo&) { OnMemberChanged(); });
    OnNotify(IDC_CATEGORY, ui::Notification::SelChange,
             [this](ui::NotifyInfo&) { OnCategoryChosen(); });
    OnNotify(IDC_ACCOUNT, ui::Notification::SelChange,
             [this](ui::NotifyInfo&) { OnAccountChosen(); });
}

CBillDlg::~CBillDlg() = default;

bool CBillDlg::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    dsSkinWindow(this, SkinDialog, "nomaxdialog", 1);
    m_progress = Item<QProgressBar>(IDC_PROGRESS);
    m_listRows->setAccessibleName(windowTitle());
    const double scale = std::max(1.0, ui::DialogUnits(m_listRows->font()).BaseX() / 6.0);
    const struct {
        const char* heading;
        int format;
        int width;
    } columns[] = {{"行", ui::LVCFMT_LEFT, 36},       {"时间", ui::LVCFMT_LEFT, 96},
                   {"记为", ui::LVCFMT_LEFT, 40},     {"金额", ui::LVCFMT_RIGHT, 70},
                   {"类别", ui::LVCFMT_LEFT, 60},     {"账户", ui::LVCFMT_LEFT, 110},
                   {"备注", ui::LVCFMT_LEFT, 150},    {"说明", ui::LVCFMT_LEFT, 200}};
    for (int i = 0; i < static_cast<int>(std::size(columns)); ++i)
        m_listRows->InsertColumn(i, columns[i].heading, columns[i].format,
                                 static_cast<int>(columns[i].width * scale));
    m_db.SetConnectionString(kConnection);
    if (m_db.Open()) {
        m_bFilling = true;
        for (const std::string& member : ListEntries(m_db, "家庭成员"))
            Item<QComboBox>(IDC_MEMBER)->addItem(QString::fromStdString(member));
        m_bFilling = false;
    }
    EnableControls(true);
    return true;
}

void CBillDlg::OnCancel() {
    // Closing the window while the import runs cancels the import; the window stays.
    if (m_bImporting) {
        m_bCancel = true;
        return;
    }
    ui::Dialog::OnCancel();
}

void CBillDlg::OnChooseFile() {
    ui::FileDialogRequest request;
    request.strCaption = kChooseBill;
    request.filters = {kFilterBills};
    if (const std::optional<ui::FileDialogAnswer> answer = ui::GetFileName(this, request))
        LoadBill(answer->strPath);
}

bool CBillDlg::LoadBill(const std::string& strPath) {
    BillFile bill;
    AnyBillRead read;
    if (!m_db.IsOpen())
        return false;
    bool bRead = ReadAnyBillFile(m_db, strPath, bill, read);
    // A bank's statement read for the first time: its columns are mapped and saved once.
    if (!bRead && read.bNeedsScheme) {
        CBankSchemeDlg dlg(read.guess, this);
        if (dlg.DoModal() != ui::IDOK)
            return false;
        bRead = ReadAnyBillFile(m_db, strPath, bill, read);
    }
    if (!bRead) {
        ui::MessageBox(this, read.strError);
        return false;
    }
    m_bill = std::move(bill);
    m_bLoaded = true;
    m_options.accounts.clear();
    m_options.categories.clear();
    m_options.ticked.clear();
    Item<QLineEdit>(IDC_FILE)->setText(QString::fromStdString(strPath));
    OnMemberChanged();
    return true;
}

void CBillDlg::OnMemberChanged() {
    if (m_bFilling || !m_bLoaded || !m_db.IsOpen())
        return;
    m_options.strMember = Item<QComboBox>(IDC_MEMBER)->currentText().toStdString();
    m_planner.Load(m_db, m_bill.nKind, m_options.strMember);
    Replan();
}

void CBillDlg::Replan() {
    m_lines = m_planner.Plan(m_bill, m_options);
    ShowRows();
}

void CBillDlg::ShowRows() {
    const int nSelected = m_listRows->GetFirstSelectedItem();
    m_listRows->SetRedraw(false);
    m_listRows->DeleteAllItems();
    std::size_t nStored = 0, nDuplicates = 0;
    for (std::size_t n = 0; n < m_lines.size(); ++n) {
        const BillLine& line = m_lines[n];
        std::string account = m_planner.AccountName(line.nAccount);
        if (line.nKind == BillLine::Transfer)
            account += " → " + m_planner.AccountName(line.nToAccount);
        else if (line.nKind != BillLine::Skipped && line.nAccount == 0)
            account = line.strSource.empty() ? kNoAccountChoice : "？" + line.strSource;
        std::string reason = line.strReason;
        if (line.nKind != BillLine::Transfer && line.nKind != BillLine::Skipped &&
            line.strCategory.empty())
            reason += "，" + std::string(BillTexts::kNoCategory);
        const int nRow = m_listRows->InsertItem(
            m_listRows->GetItemCount(),
            std::vector<std::string>{
                std::to_string(line.Row().nLine), WhenText(line.Row().dtWhen),
                line.bPossibleDuplicate && !line.bChecked ? BillTexts::kPossibleDuplicate
                                                          : KindText(line),
                line.nKind == BillLine::Skipped ? BillCentsText(line.Row().nCents)
                                                : BillCentsText(line.nCents),
                line.strCategory, line.nKind == BillLine::Skipped ? "" : account, line.Note(),
                reason});
        m_listRows->SetItemData(nRow, static_cast<std::uint32_t>(n));
        nStored += line.Stored() ? 1 : 0;
        nDuplicates += line.bPossibleDuplicate && !line.bChecked ? 1 : 0;
    }
    m_listRows->SetRedraw(true);
    if (nSelected >= 0 && nSelected < m_listRows->GetItemCount())
        m_listRows->SetSelected(nSelected, true);
    // A statement says which saved scheme read it.
    const std::string strScheme =
        m_bill.nKind == BillKind::Bank ? "导入方案“" + m_bill.strScheme + "”：" : std::string();
    SetDlgItemText(IDC_STATUS, strScheme + BillSourceName(m_bill.nKind) + "账单共 " +
                                   std::to_string(m_lines.size()) + " 行：记入 " +
                                   std::to_string(nStored) + " 行，可能重复 " +
                                   std::to_string(nDuplicates) + " 行，不记 " +
                                   std::to_string(m_lines.size() - nStored - nDuplicates) + " 行。");
    EnableControls(true);
    OnRowChosen();
}

int CBillDlg::ChosenLine() const {
    const int nRow = m_listRows->GetFirstSelectedItem();
    return nRow < 0 ? -1 : static_cast<int>(m_listRows->GetItemData(nRow));
}

void CBillDlg::SelectRow(int nRow) {
    for (int nEach = 0; nEach < m_listRows->GetItemCount(); ++nEach)
        m_listRows->SetSelected(nEach, nEach == nRow);
    OnRowChosen();
}

// The chosen row's category and account stand in the combos below the list.
void CBillDlg::OnRowChosen() {
    const int nLine = ChosenLine();
    auto* category = Item<QComboBox>(IDC_CATEGORY);
    auto* account = Item<QComboBox>(IDC_ACCOUNT);
    m_bFilling = true;
    category->clear();
    account->clear();
    const bool bRecord = nLine >= 0 && (m_lines[nLine].nKind == BillLine::Income ||
                                        m_lines[nLine].nKind == BillLine::Expense);
    if (bRecord) {
        const BillLine& line = m_lines[nLine];
        category->addItem(QString::fromUtf8(BillTexts::kNoCategory));
        for (const std::string& item : m_planner.Categories(line.nKind == BillLine::Income))
            category->addItem(QString::fromStdString(item));
        const int nCategory = category->findText(QString::fromStdString(line.strCategory));
        category->setCurrentIndex(std::max(0, nCategory));
        account->addItem(QString::fromUtf8(kNoAccountChoice));
        for (const CAccount& each : m_planner.Accounts())
            account->addItem(QString::fromStdString(each.strName));
        const int nAccount =
            account->findText(QString::fromStdString(m_planner.AccountName(line.nAccount)));
        account->setCurrentIndex(line.nAccount == 0 ? 0 : std::max(0, nAccount));
        Item<QCheckBox>(IDC_TICK)->setChecked(line.bChecked);
    }
    m_bFilling = false;
    EnableItem(IDC_CATEGORY, bRecord && !m_bImporting);
    EnableItem(IDC_ACCOUNT, bRecord && !m_bImporting && !m_lines[nLine].Row().strMethod.empty());
    EnableItem(IDC_TICK, bRecord && !m_bImporting && m_lines[nLine].bPossibleDuplicate);
}

// A category chosen for a row goes to every row of its counterparty, now and in the next
// bills ("以后 云膳过桥米线 都记为 餐饮").
void CBillDlg::OnCategoryChosen() {
    const int nLine = ChosenLine();
    auto* category = Item<QComboBox>(IDC_CATEGORY);
    if (m_bFilling || nLine < 0 || category->currentIndex() <= 0)
        return;
    const BillLine& line = m_lines[nLine];
    const std::string chosen = category->currentText().toStdString();
    m_options.categories[CategoryKey(line.nKind == BillLine::Income, line.Row().strCounterparty)] =
        chosen;
    Replan();
    SetDlgItemText(IDC_STATUS, "以后 " + std::string(m_lines[nLine].Row().strCounterparty) +
                                   " 都记为 " + chosen);
}

// An account chosen for a row goes to every row paid from the same source, and is kept.
void CBillDlg::OnAccountChosen() {
    const int nLine = ChosenLine();
    auto* account = Item<QComboBox>(IDC_ACCOUNT);
    if (m_bFilling || nLine < 0)
        return;
    const int nChoice = account->currentIndex() - 1;
    const std::vector<CAccount>& accounts = m_planner.Accounts();
    m_options.accounts[std::string(m_lines[nLine].Row().strMethod)] =
        nChoice >= 0 && nChoice < static_cast<int>(accounts.size()) ? accounts[nChoice].nId : 0;
    Replan();
}

void CBillDlg::OnTick() {
    const int nLine = ChosenLine();
    if (m_bFilling || nLine < 0)
        return;
    if (Item<QCheckBox>(IDC_TICK)->isChecked())
        m_options.ticked.insert(m_lines[nLine].Row().nLine);
    else
        m_options.ticked.erase(m_lines[nLine].Row().nLine);
    Replan();
}

void CBillDlg::EnableControls(bool bEnable) {
    for (int id : {int(IDC_CHOOSE_FILE), int(IDC_MEMBER), int(IDC_SCHEMES), int(ui::IDCANCEL)})
        EnableItem(id, bEnable);
    EnableItem(IDC_IMPORT, bEnable && m_bLoaded);
    EnableItem(IDC_CANCEL_IMPORT, !bEnable);
    if (!bEnable)
        for (int id : {int(IDC_CATEGORY), int(IDC_ACCOUNT), int(IDC_TICK)})
            EnableItem(id, false);
}

// A statement whose 余额 parts from the account's running balance is imported only when the
// user says so: it is mostly an account whose opening balance was never set, but it may be
// a line the statement left out.
bool CBillDlg::BalanceAccepted() {
    BalanceGap gap;
    if (m_bill.nKind != BillKind::Bank || !FindBalanceGap(m_db, m_bill, gap))
        return true;
    return ui::AskYesNo(this, BalanceGapText(gap, m_planner.AccountName(m_bill.nAccount)) +
                                  BankTexts::kBalanceAsk) == ui::IDYES;
}

void CBillDlg::OnImport() {
    if (!m_bLoaded || m_bImporting || !m_db.IsOpen() || !BalanceAccepted())
        return;
    m_bImporting = true;
    m_bCancel = false;
    EnableControls(false);
    m_progress->setValue(0);
    // The writing runs on the window's thread and hands it the waiting events now and then,
    // so that the bar moves and 取消 can be pressed.
    const auto progress = [this](double done) {
        m_progress->setValue(static_cast<int>(done * 100));
        QApplication::processEvents();
        return !m_bCancel;
    };
    BillSummary summary = WriteBill(m_db, m_bill.nKind, m_lines, m_options, progress);
    m_bImporting = false;
    if (summary.bCancelled || !summary.strError.empty())
        m_progress->setValue(0);
    std::string text = BillSummaryText(summary);
    for (const auto& [nLine, strReason] : summary.refused)
        text += "\n第 " + std::to_string(nLine) + " 行：" + strReason;
    // What was stored is now known to the ledger: the list shows it as imported before.
    OnMemberChanged();
    EnableControls(true);
    ui::MessageBox(this, text);
}
