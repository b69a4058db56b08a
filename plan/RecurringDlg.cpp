#include "plan/RecurringDlg.h"

#include "controls/ReportCtrl.h"
#include "data/ADORecordset.h"
#include "data/Cents.h"
#include "plan/PlanTexts.h"
#include "plan/RecurringBook.h"
#include "platform/skin/SkinEngine.h"
#include "platform/ui/DateTimePicker.h"
#include "platform/ui/DialogUnits.h"

#include <QAbstractButton>
#include <QComboBox>

#include <algorithm>

namespace {

const char* const kConnection = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data.mdb";

void FillCombo(CADODatabase& db, const char* szTable, QComboBox* combo) {
    const QString kept = combo->currentText();
    combo->clear();
    CADORecordset rs(&db);
    if (!db.IsOpen() || !rs.Open(szTable, CADORecordset::ModeTable))
        return;
    for (; !rs.IsEOF(); rs.MoveNext()) {
        std::string strEntry;
        rs.GetFieldValue(1, strEntry);
        combo->addItem(QString::fromStdString(strEntry));
    }
    rs.Close();
    combo->setCurrentIndex(std::max(0, combo->findText(kept)));
}

// Shows `text` in a combo, adding it when the list no longer holds it.
void ShowText(QComboBox* combo, const std::string& text) {
    const QString wanted = QString::fromStdString(text);
    if (combo->findText(wanted) < 0)
        combo->addItem(wanted);
    combo->setCurrentIndex(combo->findText(wanted));
}

bool Checked(const ui::Dialog& dlg, int id) {
    const auto* button = dlg.Item<QAbstractButton>(id);
    return button != nullptr && button->isChecked();
}

void Check(const ui::Dialog& dlg, int id, bool bChecked) {
    if (auto* button = dlg.Item<QAbstractButton>(id))
        button->setChecked(bChecked);
}

} // namespace

CRecurringDlg::CRecurringDlg(QWidget* parent)
    : ui::Dialog(IDD, parent), m_listTemplates(new CReportCtrl(this)) {
    UseControl(IDC_TEMPLATES, m_listTemplates);
    for (auto code : {ui::Notification::Click, ui::Notification::SelChange})
        OnNotify(IDC_TEMPLATES, code, [this](ui::NotifyInfo&) { OnTemplateClick(); });
    OnCommand(IDC_EXPENSE, [this] { OnKindChange(); });
    OnCommand(IDC_INCOME, [this] { OnKindChange(); });
    for (int id : {IDC_MONTHLY, IDC_WEEKLY, IDC_YEARLY, IDC_LAST_CHECK})
        OnCommand(id, [this] { OnRuleChange(); });
    OnCommand(IDC_ADD, [this] { OnAdd(); });
    OnCommand(IDC_CHANGE, [this] { OnChange(); });
    OnCommand(IDC_DELETE, [this] { OnDelete(); });
}

CRecurringDlg::~CRecurringDlg() = default;

bool CRecurringDlg::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    dsSkinWindow(this, SkinDialog, "nomaxdialog", 1);
    m_cbMember = Item<QComboBox>(IDC_MEMBER);
    m_cbItem = Item<QComboBox>(IDC_ITEM);
    m_cbDay = Item<QComboBox>(IDC_DAY);
    m_dtFirst = Item<ui::DateTimePicker>(IDC_FIRST);
    m_dtLast = Item<ui::DateTimePicker>(IDC_LAST);
    const double scale = std::max(1.0, ui::DialogUnits(m_listTemplates->font()).BaseX() / 6.0);
    const auto width = [scale](int nPixels) { return static_cast<int>(nPixels * scale + 0.5); };
    int nColumn = 0;
    for (const auto& [szHeading, nWidth] :
         std::initializer_list<std::pair<const char*, int>>{{"规则", 70},
                                                            {"收支", 36},
                                                            {"项目", 64},
                                                            {"金额", 64},
                                                            {"家庭成员", 56},
                                                            {"首日", 70},
                                                            {"末日", 70},
                                                            {"入账", 48},
                                                            {"备注", 90}}) {
        const int nFormat = nColumn == 3 ? ui::LVCFMT_RIGHT : ui::LVCFMT_LEFT; // 金额
        m_listTemplates->InsertColumn(nColumn, szHeading, nFormat, width(nWidth));
        ++nColumn;
    }

    Check(*this, IDC_EXPENSE, true);
    Check(*this, IDC_MONTHLY, true);
    Check(*this, IDC_AUTOMATIC, true);
    const COleDateTime now = COleDateTime::GetCurrentTime();
    m_dtFirst->SetTime(now);
    m_dtLast->SetTime(now);
    FillDays(RecurrenceKind::Monthly);
    m_cbDay->setCurrentIndex(std::min(now.GetDay(), 31) - 1);
    m_db.SetConnectionString(kConnection);
    if (m_db.Open()) {
        FillCombo(m_db, "家庭成员", m_cbMember);
        FillCombo(m_db, "支出类型", m_cbItem);
        Reload();
    }
    OnRuleChange();
    return true;
}

void CRecurringDlg::FillDays(RecurrenceKind kind) {
    const int nKept = m_cbDay->currentIndex();
    m_cbDay->clear();
    if (kind == RecurrenceKind::Weekly) {
        for (int nDay = 1; nDay <= 7; ++nDay)
            m_cbDay->addItem(QString::fromStdString(
                RecurringTemplate{0, false, "", "", 0, "", kind, nDay, {}, {}, true}.RuleText()));
    } else {
        for (int nDay = 1; nDay <= 31; ++nDay)
            m_cbDay->addItem(QString::fromStdString(RecurringTemplate{
                0, false, "", "", 0, "", RecurrenceKind::Monthly, nDay, {}, {}, true}
                                                        .RuleText()));
    }
    m_cbDay->setCurrentIndex(std::clamp(nKept, 0, m_cbDay->count() - 1));
}

void CRecurringDlg::OnKindChange() {
    FillCombo(m_db, Checked(*this, IDC_INCOME) ? "收入类型" : "支出类型", m_cbItem);
}

void CRecurringDlg::OnRuleChange() {
    const bool bWeekly = Checked(*this, IDC_WEEKLY);
    if ((m_cbDay->count() == 7) != bWeekly)
        FillDays(bWeekly ? RecurrenceKind::Weekly : RecurrenceKind::Monthly);
    EnableItem(IDC_DAY, !Checked(*this, IDC_YEARLY));
    EnableItem(IDC_LAST, Checked(*this, IDC_LAST_CHECK));
}

void CRecurringDlg::Reload() {
    m_templates = CRecurringBook(m_db).Templates();
    m_listTemplates->DeleteAllItems();
    for (const RecurringTemplate& tmpl : m_templates)
        m_listTemplates->InsertItem(m_listTemplates->GetItemCount(), tmpl.RuleText(),
                                    CPlanTexts::Kind(tmpl.bIncome), tmpl.strItem,
                                    CCents::Text(tmpl.nCents), tmpl.strMember, tmpl.first.Text(),
                                    tmpl.last ? tmpl.last->Text() : std::string(),
                                    CPlanTexts::Posting(tmpl.bAutomatic), tmpl.strNote);
}

long CRecurringDlg::SelectedId() const {
    const int nRow = m_listTemplates->GetFirstSelectedItem();
    if (nRow < 0)
        return 0;
    // A sort moves the rows: the rule, item, amount and first day tell which template.
    for (const RecurringTemplate& tmpl : m_templates)
        if (tmpl.RuleText() == m_listTemplates->GetItemText(nRow, 0) &&
            tmpl.strItem == m_listTemplates->GetItemText(nRow, 2) &&
            CCents::Text(tmpl.nCents) == m_listTemplates->GetItemText(nRow, 3) &&
            tmpl.first.Text() == m_listTemplates->GetItemText(nRow, 5) &&
            tmpl.strNote == m_listTemplates->GetItemText(nRow, 8))
            return tmpl.nId;
    return 0;
}

void CRecurringDlg::OnTemplateClick() {
    const long nId = SelectedId();
    for (const RecurringTemplate& tmpl : m_templates)
        if (tmpl.nId == nId)
            return ShowFields(tmpl);
}

void CRecurringDlg::ShowFields(const RecurringTemplate& tmpl) {
    Check(*this, tmpl.bIncome ? IDC_INCOME : IDC_EXPENSE, true);
    OnKindChange();
    ShowText(m_cbMember, tmpl.strMember);
    ShowText(m_cbItem, tmpl.strItem);
    SetDlgItemText(IDC_AMOUNT, CCents::Text(tmpl.nCents));
    Check(*this, IDC_MONTHLY + static_cast<int>(tmpl.kind), true);
    Check(*this, IDC_LAST_CHECK, tmpl.last.has_value());
    OnRuleChange();
    if (tmpl.kind != RecurrenceKind::Yearly)
        m_cbDay->setCurrentIndex(std::clamp(tmpl.nDay, 1, m_cbDay->count()) - 1);
    m_dtFirst->SetTime(tmpl.first.AtHour(0));
    if (tmpl.last)
        m_dtLast->SetTime(tmpl.last->AtHour(0));
    Check(*this, IDC_AUTOMATIC, tmpl.bAutomatic);
    SetDlgItemText(IDC_NOTE, tmpl.strNote);
}

bool CRecurringDlg::ReadFields(RecurringTemplate& tmpl) {
    std::int64_t nCents = 0;
    if (!CCents::Parse(GetDlgItemText(IDC_AMOUNT), nCents) || nCents == 0) {
        ui::MessageBox(this, CPlanTexts::BadRecurringAmount());
        return false;
    }
    if (m_cbItem->currentIndex() < 0 || m_cbMember->currentIndex() < 0) {
        ui::MessageBox(this, CPlanTexts::ChooseMemberAndItem());
        return false;
    }
    tmpl.bIncome = Checked(*this, IDC_INCOME);
    tmpl.strMember = m_cbMember->currentText().toStdString();
    tmpl.strItem = m_cbItem->currentText().toStdString();
    tmpl.nCents = nCents;
    tmpl.strNote = GetDlgItemText(IDC_NOTE);
    tmpl.kind = Checked(*this, IDC_WEEKLY)   ? RecurrenceKind::Weekly
                : Checked(*this, IDC_YEARLY) ? RecurrenceKind::Yearly
                                             : RecurrenceKind::Monthly;
    tmpl.nDay = m_cbDay->currentIndex() + 1;
    tmpl.first = CPlanDate::FromDateTime(m_dtFirst->GetTime());
    tmpl.last.reset();
    if (Checked(*this, IDC_LAST_CHECK))
        tmpl.last = CPlanDate::FromDateTime(m_dtLast->GetTime());
    if (tmpl.last && *tmpl.last < tmpl.first) {
        ui::MessageBox(this, CPlanTexts::LastBeforeFirst());
        return false;
    }
    tmpl.bAutomatic = Checked(*this, IDC_AUTOMATIC);
    return true;
}

void CRecurringDlg::Store(RecurringTemplate tmpl) {
    std::string strError;
    if (!CRecurringBook(m_db).Save(tmpl, strError))
        ui::MessageBox(this, strError);
    Reload();
}

void CRecurringDlg::OnAdd() {
    RecurringTemplate tmpl;
    if (m_db.IsOpen() && ReadFields(tmpl))
        Store(tmpl);
}

void CRecurringDlg::OnChange() {
    RecurringTemplate tmpl;
    tmpl.nId = SelectedId();
    if (tmpl.nId == 0) {
        ui::MessageBox(this, CPlanTexts::ChooseTemplate());
        return;
    }
    if (ReadFields(tmpl))
        Store(tmpl);
}

void CRecurringDlg::OnDelete() {
    const long nId = SelectedId();
    if (nId == 0) {
        ui::MessageBox(this, CPlanTexts::ChooseTemplate());
        return;
    }
    CRecurringBook(m_db).Remove(nId);
    Reload();
}
