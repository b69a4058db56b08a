#include "plan/PendingDlg.h"

#include "controls/ReportCtrl.h"
#include "data/Cents.h"
#include "plan/PlanTexts.h"
#include "platform/skin/SkinEngine.h"
#include "platform/ui/DialogUnits.h"
#include "platform/ui/ListCtrl.h"

#include <algorithm>

CPendingDlg::CPendingDlg(CADODatabase& db, std::vector<DueOccurrence> pending, QWidget* parent)
    : ui::Dialog(IDD, parent), m_db(db), m_pending(std::move(pending)),
      m_listPending(new CReportCtrl(this)) {
    UseControl(IDC_PENDING, m_listPending);
    OnCommand(IDC_POST, [this] { OnPost(); });
}

CPendingDlg::~CPendingDlg() = default;

bool CPendingDlg::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    dsSkinWindow(this, SkinDialog, "nomaxdialog", 1);
    m_listPending->SetExtendedStyle(ui::LVS_EX_CHECKBOXES | ui::LVS_EX_FULLROWSELECT);
    const double scale = std::max(1.0, ui::DialogUnits(m_listPending->font()).BaseX() / 6.0);
    const auto width = [scale](int nPixels) { return static_cast<int>(nPixels * scale + 0.5); };
    m_listPending->InsertColumn(0, "日期", ui::LVCFMT_LEFT, width(96));
    m_listPending->InsertColumn(1, "收支", ui::LVCFMT_LEFT, width(40));
    m_listPending->InsertColumn(2, "项目", ui::LVCFMT_LEFT, width(70));
    m_listPending->InsertColumn(3, "金额", ui::LVCFMT_RIGHT, width(70));
    m_listPending->InsertColumn(4, "家庭成员", ui::LVCFMT_LEFT, width(60));
    m_listPending->InsertColumn(5, "备注", ui::LVCFMT_LEFT, width(100));
    for (const DueOccurrence& due : m_pending) {
        const int nRow = m_listPending->InsertItem(
            m_listPending->GetItemCount(), due.day.Text(), CPlanTexts::Kind(due.tmpl.bIncome),
            due.tmpl.strItem, CCents::Text(due.tmpl.nCents), due.tmpl.strMember, due.tmpl.strNote);
        m_listPending->SetCheck(nRow, true);
    }
    return true;
}

void CPendingDlg::OnPost() {
    // The rows keep the order of m_pending: the list is not sorted by the user here.
    CRecurringBook book(m_db);
    for (int nRow = 0; nRow < m_listPending->GetItemCount(); ++nRow)
        if (m_listPending->GetCheck(nRow) && book.Make(m_pending[static_cast<size_t>(nRow)]))
            ++m_nMade;
    OnOK();
}
