#include "records/RecordDlg.h"

#include "data/ADORecordset.h"
#include "pictures/PictureStrip.h"
#include "platform/skin/SkinEngine.h"
#include "platform/ui/DataExchange.h"
#include "platform/ui/DateTimePicker.h"
#include "records/AccountLink.h"

#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpressionValidator>

namespace {

const char* const kConnectionString = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data.mdb";

// An amount is whole yuan with up to two decimals (cents): digits, at most one decimal mark,
// the point or the locale's own one (a comma in a German or French "Formats" region). Up to
// 13 digits before it, so that every cent is kept exactly (as the import holds it too).
QRegularExpression AmountPattern() {
    QString marks = QStringLiteral(".");
    const QString own = QLocale().decimalPoint();
    if (own.size() == 1 && own != marks)
        marks += own;
    return QRegularExpression(QStringLiteral("[0-9]{0,13}([%1][0-9]{0,2})?")
                                  .arg(QRegularExpression::escape(marks)));
}

} // namespace

CRecordDlg::CRecordDlg(const CRecordTwin& twin, int templateId, QWidget* parent)
    : ui::Dialog(templateId, parent), m_twin(twin), m_stripPictures(new CPictureStrip(this)) {
    UseControl(IDC_PICTURES, m_stripPictures);
    OnCommand(IDC_ADD_PICTURE, [this] { m_stripPictures->AddChosenFiles(); });
    OnCommand(IDC_DELETE_PICTURE, [this] { m_stripPictures->DeleteSelected(); });
}

bool CRecordDlg::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    m_cbMember = Item<QComboBox>(IDC_MEMBER);
    m_cbItem = Item<QComboBox>(IDC_ITEM);
    m_dtPicker = Item<ui::DateTimePicker>(IDC_DATE);
    m_cbAccount = Item<QComboBox>(IDC_ACCOUNT);
    // The template's digits-only box would keep cents out; typing and pasting are both
    // held to the amount pattern.
    if (auto* amount = Item<QLineEdit>(m_twin.nAmountId)) {
        const QValidator* digitsOnly = amount->validator();
        amount->setValidator(new QRegularExpressionValidator(AmountPattern(), amount));
        delete digitsOnly;
    }
    dsSkinWindow(this, SkinDialog, "nomaxdialog", 1);
    return true;
}

void CRecordDlg::DoDataExchange(ui::DataExchange& dx) {
    ui::DDX_Text(dx, m_twin.nAmountId, m_dAmount);
    ui::DDX_Text(dx, IDC_NOTE, m_strNote);
}

bool CRecordDlg::OpenConnection() {
    m_db.SetConnectionString(kConnectionString);
    return m_db.Open();
}

bool CRecordDlg::ReopenIfClosed() {
    if (m_db.IsOpen() || !OpenConnection())
        return false;
    FillFromLedger();
    return true;
}

bool CRecordDlg::FillList(CADORecordset& rs, const std::string& table, QComboBox* combo) {
    if (!rs.Open(table, CADORecordset::ModeTable))
        return false;
    combo->clear();
    for (; !rs.IsEOF(); rs.MoveNext()) {
        std::string text;
        rs.GetFieldValue(1, text);
        combo->addItem(QString::fromStdString(text));
    }
    rs.Close();
    return true;
}

std::string CRecordDlg::SelectedText(const QComboBox* combo) {
    const int selected = combo->currentIndex();
    return selected < 0 ? std::string() : combo->itemText(selected).toStdString();
}

void CRecordDlg::WriteFields(CADORecordset& rs, const std::string& member, const std::string& item,
                             const COleDateTime& date, int nKeep) const {
    rs.SetFieldValue(m_twin.szMemberColumn, member);
    rs.SetFieldValue(m_twin.szItemColumn, item);
    rs.SetFieldValue(m_twin.szAmountColumn, m_dAmount);
    if ((nKeep & KeepDate) == 0)
        rs.SetFieldValue(m_twin.szDateColumn, date);
    if ((nKeep & KeepNote) == 0)
        rs.SetFieldValue("备注", m_strNote);
}

void CRecordDlg::FillAccounts(std::int64_t nKeep) {
    if (m_cbAccount == nullptr)
        return;
    m_cbAccount->clear();
    m_cbAccount->addItem(QString::fromUtf8(CAccountLink::kNoAccount),
                         QVariant::fromValue<qlonglong>(0));
    bool bKept = nKeep == 0;
    for (const CAccountLink::Choice& choice : CAccountLink::Choices(m_db)) {
        m_cbAccount->addItem(QString::fromStdString(choice.strName),
                             QVariant::fromValue<qlonglong>(choice.nId));
        bKept = bKept || choice.nId == nKeep;
    }
    if (!bKept)
        m_cbAccount->addItem(QString::fromStdString(CAccountLink::Name(m_db, nKeep)),
                             QVariant::fromValue<qlonglong>(nKeep));
    m_cbAccount->setCurrentIndex(0);
}

void CRecordDlg::SelectAccount(std::int64_t nAccount) {
    if (m_cbAccount == nullptr)
        return;
    const int index = m_cbAccount->findData(QVariant::fromValue<qlonglong>(nAccount));
    m_cbAccount->setCurrentIndex(index < 0 ? 0 : index);
}

std::int64_t CRecordDlg::SelectedAccount() const {
    return m_cbAccount == nullptr || m_cbAccount->currentIndex() < 0
               ? 0
               : m_cbAccount->currentData().toLongLong();
}
