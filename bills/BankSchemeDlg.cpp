#include "bills/BankSchemeDlg.h"

#include "accounts/AccountStore.h"
#include "bills/BankTexts.h"
#include "controls/ReportCtrl.h"
#include "platform/skin/SkinEngine.h"
#include "platform/ui/DialogUnits.h"
#include "platform/ui/MessageBox.h"
#include "records/AccountLink.h"

#include <QComboBox>

#include <algorithm>
#include <cstdio>

namespace {

const char* const kConnection = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data.mdb";

std::string HeaderLine(const std::vector<std::string>& header) {
    std::string text;
    for (const std::string& field : header)
        text += (text.empty() ? "" : "，") + field;
    return text;
}

} // namespace

CBankSchemeDlg::CBankSchemeDlg(std::optional<CBankScheme> guess, QWidget* parent)
    : ui::Dialog(IDD, parent), m_listSchemes(new CReportCtrl(this)), m_guess(std::move(guess)) {
    UseControl(IDC_SCHEMES, m_listSchemes);
    OnCommand(ui::IDOK, [] {}); // Enter neither saves nor closes
    OnCommand(IDC_SAVE, [this] { OnSave(); });
    OnCommand(IDC_RENAME, [this] { OnRename(); });
    OnCommand(IDC_DELETE, [this] { OnDelete(); });
    for (auto code : {ui::Notification::Click, ui::Notification::SelChange})
        OnNotify(IDC_SCHEMES, code, [this](ui::NotifyInfo&) { OnSchemeChosen(); });
}

CBankSchemeDlg::~CBankSchemeDlg() = default;

bool CBankSchemeDlg::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    dsSkinWindow(this, SkinDialog, "nomaxdialog", 1);
    m_listSchemes->setAccessibleName(QString::fromUtf8("已保存的方案"));
    const double scale = std::max(1.0, ui::DialogUnits(m_listSchemes->font()).BaseX() / 6.0);
    const struct {
        const char* heading;
        int width;
    } columns[] = {{"名称", 90}, {"账户", 110}, {"标题行", 240}};
    for (int i = 0; i < static_cast<int>(std::size(columns)); ++i)
        m_listSchemes->InsertColumn(i, columns[i].heading, ui::LVCFMT_LEFT,
                                    static_cast<int>(columns[i].width * scale));
    m_db.SetConnectionString(kConnection);
    if (m_db.Open() && CAccountLink::Present(m_db))
        for (CAccount& account : CAccountStore(m_db).Load())
            if (!account.bStopped)
                m_accounts.push_back(std::move(account));
    auto* account = Item<QComboBox>(IDC_ACCOUNT);
    account->addItem(QString::fromUtf8(BankTexts::kNoColumn));
    for (const CAccount& each : m_accounts)
        account->addItem(QString::fromStdString(each.strName));
    if (m_guess) {
        SetDlgItemText(IDC_HEADER, HeaderLine(m_guess->header));
        for (int field = 0; field < BankFieldCount; ++field) {
            QComboBox* combo = Item<QComboBox>(IDC_COLUMN_FIRST + field);
            combo->addItem(QString::fromUtf8(BankTexts::kNoColumn));
            for (const std::string& heading : m_guess->header)
                combo->addItem(QString::fromStdString(heading));
            combo->setCurrentIndex(m_guess->columns[field] + 1);
        }
        const std::string strAccount = AccountName(m_guess->nAccount);
        account->setCurrentIndex(std::max(0, account->findText(QString::fromStdString(strAccount))));
        // The account's name is the name most households would give the scheme.
        SetDlgItemText(IDC_NAME, strAccount);
    }
    for (int id = IDC_COLUMN_FIRST; id <= IDC_SAVE; ++id)
        EnableItem(id, m_guess.has_value());
    ShowSchemes({});
    return true;
}

std::string CBankSchemeDlg::AccountName(std::int64_t nId) const {
    for (const CAccount& account : m_accounts)
        if (account.nId == nId)
            return account.strName;
    return {};
}

void CBankSchemeDlg::ShowSchemes(const std::string& strSelect) {
    m_listSchemes->DeleteAllItems();
    if (!m_db.IsOpen())
        return;
    for (const CBankScheme& scheme : CBankSchemeStore(m_db).Load()) {
        const int nRow = m_listSchemes->InsertItem(
            m_listSchemes->GetItemCount(),
            std::vector<std::string>{scheme.strName, AccountName(scheme.nAccount),
                                     HeaderLine(scheme.header)});
        if (scheme.strName == strSelect)
            m_listSchemes->SetSelected(nRow, true);
    }
    OnSchemeChosen();
}

std::string CBankSchemeDlg::ChosenScheme() const {
    const int nRow = m_listSchemes->GetFirstSelectedItem();
    return nRow < 0 ? std::string() : m_listSchemes->GetItemText(nRow, 0);
}

// The chosen scheme's name stands in 方案名称, to be changed there and renamed.
void CBankSchemeDlg::OnSchemeChosen() {
    const std::string strChosen = ChosenScheme();
    if (!strChosen.empty()) {
        EnableItem(IDC_NAME, true);
        SetDlgItemText(IDC_NAME, strChosen);
    }
    EnableItem(IDC_RENAME, !strChosen.empty());
    EnableItem(IDC_DELETE, !strChosen.empty());
}

void CBankSchemeDlg::OnSave() {
    if (!m_guess || !m_db.IsOpen())
        return;
    CBankScheme scheme = *m_guess;
    scheme.strName = GetDlgItemText(IDC_NAME);
    for (int field = 0; field < BankFieldCount; ++field)
        scheme.columns[field] = Item<QComboBox>(IDC_COLUMN_FIRST + field)->currentIndex() - 1;
    const int nAccount = Item<QComboBox>(IDC_ACCOUNT)->currentIndex() - 1;
    scheme.nAccount = nAccount >= 0 && nAccount < static_cast<int>(m_accounts.size())
                          ? m_accounts[nAccount].nId
                          : 0;
    if (const std::string strError = CBankSchemeStore(m_db).Save(scheme); !strError.empty()) {
        ui::MessageBox(this, strError);
        return;
    }
    EndDialog(ui::IDOK);
}

void CBankSchemeDlg::OnRename() {
    const std::string strChosen = ChosenScheme();
    if (strChosen.empty() || !m_db.IsOpen())
        return;
    const std::string strNew = GetDlgItemText(IDC_NAME);
    const std::string strError = CBankSchemeStore(m_db).Rename(strChosen, strNew);
    SetDlgItemText(IDC_STATUS, strError.empty() ? BankTexts::kRenamed : strError);
    ShowSchemes(strError.empty() ? strNew : strChosen);
}

void CBankSchemeDlg::OnDelete() {
    const std::string strChosen = ChosenScheme();
    if (strChosen.empty() || !m_db.IsOpen())
        return;
    char question[512];
    std::snprintf(question, sizeof question, BankTexts::kAskDelete, strChosen.c_str());
    if (ui::AskYesNo(this, question) != ui::IDYES)
        return;
    CBankSchemeStore(m_db).Delete(strChosen);
    SetDlgItemText(IDC_STATUS, BankTexts::kDeleted);
    ShowSchemes({});
}
