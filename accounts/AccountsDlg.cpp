#include "accounts/AccountsDlg.h"

#include "accounts/AccountStore.h"
#include "accounts/AccountTexts.h"
#include "controls/ReportCtrl.h"
#include "data/ADORecordset.h"
#include "data/Cents.h"
#include "data/FormatDateTime.h"
#include "platform/skin/SkinEngine.h"
#include "platform/ui/DateTimePicker.h"
#include "platform/ui/DialogUnits.h"
#include "platform/ui/MessageBox.h"
#include "records/AccountLink.h"
#include "records/RecordWriter.h"

#include <QCheckBox>
#include <QComboBox>

#include <algorithm>
#include <cstdlib>

namespace {

const char* const kConnection = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data.mdb";
const char* const kStoppedMark = "已停用";
const char* const kDeleteQuestion = "确定要删除这个账户吗？";

COleDateTime DateOf(const std::string& text) {
    if (text.size() < 10)
        return COleDateTime::GetCurrentTime();
    return COleDateTime(std::stoi(text.substr(0, 4)), std::stoi(text.substr(5, 2)),
                        std::stoi(text.substr(8, 2)), 0, 0, 0);
}

} // namespace

CAccountsDlg::CAccountsDlg(QWidget* parent)
    : ui::Dialog(IDD, parent), m_listAccounts(new CReportCtrl(this)) {
    UseControl(IDC_LIST, m_listAccounts);
    for (auto code : {ui::Notification::Click, ui::Notification::SelChange})
        OnNotify(IDC_LIST, code, [this](ui::NotifyInfo&) { OnRowClick(); });
    OnCommand(IDC_NEW, [this] { OnNew(); });
    OnCommand(IDC_SAVE, [this] { OnSave(); });
    OnCommand(IDC_DELETE, [this] { OnDelete(); });
}

CAccountsDlg::~CAccountsDlg() = default;

bool CAccountsDlg::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    dsSkinWindow(this, SkinDialog, "nomaxdialog", 1);
    m_listAccounts->setAccessibleName(windowTitle());
    const double scale = std::max(1.0, ui::DialogUnits(m_listAccounts->font()).BaseX() / 6.0);
    const struct {
        const char* heading;
        int format;
        int width;
    } columns[] = {{"名称", ui::LVCFMT_LEFT, 110},    {"种类", ui::LVCFMT_LEFT, 70},
                   {"所有人", ui::LVCFMT_LEFT, 70},   {"期初余额", ui::LVCFMT_RIGHT, 90},
                   {"期初日期", ui::LVCFMT_LEFT, 90}, {"状态", ui::LVCFMT_LEFT, 60}};
    for (int i = 0; i < static_cast<int>(std::size(columns)); ++i)
        m_listAccounts->InsertColumn(i, columns[i].heading, columns[i].format,
                                     static_cast<int>(columns[i].width * scale));
    auto* kind = Item<QComboBox>(IDC_KIND);
    for (const std::string& text : CAccountStore::Kinds())
        kind->addItem(QString::fromStdString(text));
    m_db.SetConnectionString(kConnection);
    auto* owner = Item<QComboBox>(IDC_OWNER);
    owner->addItem(QString::fromUtf8(CAccountLink::kNoAccount));
    if (m_db.Open()) {
        CADORecordset rs(&m_db);
        if (rs.Open("家庭成员", CADORecordset::ModeTable))
            for (; !rs.IsEOF(); rs.MoveNext()) {
                std::string strName;
                rs.GetFieldValue(1, strName);
                if (!strName.empty())
                    owner->addItem(QString::fromStdString(strName));
            }
        Reload();
    }
    OnNew();
    return true;
}

void CAccountsDlg::Reload() {
    m_accounts = CAccountStore(m_db).Load();
    m_listAccounts->DeleteAllItems();
    for (const CAccount& account : m_accounts)
        m_listAccounts->InsertItem(m_listAccounts->GetItemCount(), account.strName, account.strKind,
                                   account.strOwner, CCents::Text(account.nOpening),
                                   account.strOpeningDate, account.bStopped ? kStoppedMark : "");
}

void CAccountsDlg::Show(const CAccount& account) {
    m_nEditing = account.nId;
    SetDlgItemText(IDC_NAME, account.strName);
    auto* kind = Item<QComboBox>(IDC_KIND);
    kind->setCurrentIndex(std::max(0, kind->findText(QString::fromStdString(account.strKind))));
    auto* owner = Item<QComboBox>(IDC_OWNER);
    owner->setCurrentIndex(std::max(0, owner->findText(QString::fromStdString(account.strOwner))));
    SetDlgItemText(IDC_OPENING, CCents::Text(account.nOpening));
    Item<ui::DateTimePicker>(IDC_OPENING_DATE)->SetTime(DateOf(account.strOpeningDate));
    SetDlgItemText(IDC_ORDER, std::to_string(account.nOrder));
    Item<QCheckBox>(IDC_STOPPED)->setChecked(account.bStopped);
}

void CAccountsDlg::OnRowClick() {
    const int nRow = m_listAccounts->GetFirstSelectedItem();
    if (nRow >= 0 && nRow < static_cast<int>(m_accounts.size()))
        Show(m_accounts[static_cast<size_t>(nRow)]);
}

void CAccountsDlg::OnNew() {
    CAccount account;
    account.strKind = CAccountStore::Kinds().front();
    account.strOpeningDate = FormatDateTime(COleDateTime::GetCurrentTime(), "%Y-%m-%d");
    account.nOrder = m_accounts.empty() ? 1 : m_accounts.back().nOrder + 1;
    Show(account);
}

void CAccountsDlg::OnSave() {
    if (!m_db.IsOpen() && !m_db.Open())
        return;
    CAccount account;
    account.nId = m_nEditing;
    account.strName = GetDlgItemText(IDC_NAME);
    account.strKind = Item<QComboBox>(IDC_KIND)->currentText().toStdString();
    auto* owner = Item<QComboBox>(IDC_OWNER);
    account.strOwner = owner->currentIndex() > 0 ? owner->currentText().toStdString() : "";
    if (CRecordWriter::ParseCents(GetDlgItemText(IDC_OPENING), account.nOpening) !=
        CRecordWriter::Added) {
        ui::MessageBox(this, AccountTexts::kAmountInvalid);
        return;
    }
    account.strOpeningDate =
        FormatDateTime(Item<ui::DateTimePicker>(IDC_OPENING_DATE)->GetTime(), "%Y-%m-%d");
    account.nOrder = std::atoi(GetDlgItemText(IDC_ORDER).c_str());
    account.bStopped = Item<QCheckBox>(IDC_STOPPED)->isChecked();
    CAccountStore store(m_db);
    std::string strError;
    if (!store.Ensure(strError)) {
        ui::MessageBox(this, strError);
        return;
    }
    if (const std::string problem = store.Save(account); !problem.empty()) {
        ui::MessageBox(this, problem);
        return;
    }
    m_nEditing = account.nId;
    Reload();
    ui::MessageBox(this, AccountTexts::kSaved);
}

void CAccountsDlg::OnDelete() {
    if (m_nEditing == 0 || !m_db.IsOpen() || ui::AskYesNo(this, kDeleteQuestion) != ui::IDYES)
        return;
    const std::string problem = CAccountStore(m_db).Remove(m_nEditing);
    ui::MessageBox(this, problem.empty() ? AccountTexts::kDeleted : problem);
    if (problem.empty()) {
        Reload();
        OnNew();
    }
}
