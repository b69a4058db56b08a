#include "accounts/TransferDlg.h"

#include "accounts/AccountStore.h"
#include "accounts/AccountTexts.h"
#include "accounts/TransferStore.h"
#include "data/ADORecordset.h"
#include "data/Cents.h"
#include "data/FormatDateTime.h"
#include "platform/skin/SkinEngine.h"
#include "platform/ui/DateTimePicker.h"
#include "platform/ui/MessageBox.h"
#include "records/RecordWriter.h"

#include <QComboBox>

#include <algorithm>
#include <optional>

namespace {

const char* const kConnection = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data.mdb";

std::int64_t Selected(const QComboBox* combo) {
    return combo->currentIndex() < 0 ? 0 : combo->currentData().toLongLong();
}

void Select(QComboBox* combo, std::int64_t nId) {
    combo->setCurrentIndex(combo->findData(QVariant::fromValue<qlonglong>(nId)));
}

COleDateTime DateTimeOf(const std::string& text) {
    if (text.size() < 19)
        return COleDateTime::GetCurrentTime();
    return COleDateTime(std::stoi(text.substr(0, 4)), std::stoi(text.substr(5, 2)),
                        std::stoi(text.substr(8, 2)), std::stoi(text.substr(11, 2)),
                        std::stoi(text.substr(14, 2)), std::stoi(text.substr(17, 2)));
}

} // namespace

CTransferDlg::CTransferDlg(QWidget* parent) : ui::Dialog(IDD, parent) {
    OnCommand(IDC_SAVE, [this] { OnSave(); });
}

bool CTransferDlg::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    dsSkinWindow(this, SkinDialog, "nomaxdialog", 1);
    m_db.SetConnectionString(kConnection);
    if (!m_db.Open())
        return true;
    const std::optional<CTransfer> stored =
        m_nTransferId != 0 ? CTransferStore(m_db).Load(m_nTransferId) : std::nullopt;
    auto* from = Item<QComboBox>(IDC_FROM);
    auto* to = Item<QComboBox>(IDC_TO);
    for (const CAccount& account : CAccountStore(m_db).Load()) {
        // A stopped account is offered only to a transfer that has it already.
        if (account.bStopped &&
            (!stored || (stored->nFrom != account.nId && stored->nTo != account.nId)))
            continue;
        for (QComboBox* combo : {from, to})
            combo->addItem(QString::fromStdString(account.strName),
                           QVariant::fromValue<qlonglong>(account.nId));
    }
    auto* member = Item<QComboBox>(IDC_MEMBER);
    member->addItem(QString());
    CADORecordset rs(&m_db);
    if (rs.Open("家庭成员", CADORecordset::ModeTable))
        for (; !rs.IsEOF(); rs.MoveNext()) {
            std::string strName;
            rs.GetFieldValue(1, strName);
            member->addItem(QString::fromStdString(strName));
        }
    if (stored) {
        Select(from, stored->nFrom);
        Select(to, stored->nTo);
        SetDlgItemText(IDC_AMOUNT, CCents::Text(stored->nAmount));
        member->setCurrentIndex(
            std::max(0, member->findText(QString::fromStdString(stored->strMember))));
        Item<ui::DateTimePicker>(IDC_DATE)->SetTime(DateTimeOf(stored->strDate));
        SetDlgItemText(IDC_NOTE, stored->strNote);
    } else {
        from->setCurrentIndex(from->count() > 0 ? 0 : -1);
        to->setCurrentIndex(to->count() > 1 ? 1 : -1);
    }
    return true;
}

void CTransferDlg::OnSave() {
    if (!m_db.IsOpen())
        return;
    CTransfer transfer;
    transfer.nId = m_nTransferId;
    transfer.nFrom = Selected(Item<QComboBox>(IDC_FROM));
    transfer.nTo = Selected(Item<QComboBox>(IDC_TO));
    const CRecordWriter::Outcome amount =
        CRecordWriter::ParseCents(GetDlgItemText(IDC_AMOUNT), transfer.nAmount);
    if (amount != CRecordWriter::Added || transfer.nAmount < 0) {
        ui::MessageBox(this, amount == CRecordWriter::NoAmount ? AccountTexts::kTransferZero
                                                               : AccountTexts::kAmountInvalid);
        return;
    }
    transfer.strDate =
        FormatDateTime(Item<ui::DateTimePicker>(IDC_DATE)->GetTime(), "%Y-%m-%d %H:%M:%S");
    auto* member = Item<QComboBox>(IDC_MEMBER);
    transfer.strMember = member->currentText().toStdString();
    transfer.strNote = GetDlgItemText(IDC_NOTE);
    CTransferStore store(m_db);
    if (m_nTransferId != 0 && store.Reconciled(m_nTransferId) &&
        ui::AskYesNo(this, AccountTexts::kReconciledTransferQuestion) != ui::IDYES)
        return;
    if (const std::string problem = store.Save(transfer); !problem.empty()) {
        ui::MessageBox(this, problem);
        return;
    }
    if (m_nTransferId != 0) {
        OnOK();
        return;
    }
    ui::MessageBox(this, AccountTexts::kTransferSaved);
}
