#pragma once

#include "data/ADODatabase.h"
#include "platform/ole/OleDateTime.h"
#include "platform/ui/Dialog.h"
#include "records/RecordTwin.h"

#include <cstdint>
#include <string>

class CADORecordset;
class CPictureStrip;
class QComboBox;

namespace ui {
class DateTimePicker;
}

/// What the record entry and edit dialogs share: the controls of one record (amount,
/// member, date, category, note), the dialog's own connection, the choice lists filled
/// from the list tables, and the writing of a record's fields.
class CRecordDlg : public ui::Dialog {
public:
    enum ControlId {
        IDC_MEMBER = 1018,
        IDC_ITEM = 1019,
        IDC_DATE = 1021,
        IDC_NOTE = 1025,
        IDC_ACCOUNT = 1090, // in the template's free space, beside the buttons
        IDC_PICTURES = 1091, // the 凭证 strip, below them
        IDC_ADD_PICTURE = 1092,
        IDC_DELETE_PICTURE = 1093,
    };

    double m_dAmount = 0.0;
    std::string m_strNote;

protected:
    CRecordDlg(const CRecordTwin& twin, int templateId, QWidget* parent);

    /// Binds the controls and skins the window.
    bool OnInitDialog() override;
    void DoDataExchange(ui::DataExchange& dx) override;

    /// Sets the connection text and opens the dialog's connection.
    bool OpenConnection();
    /// A dialog that came up while the ledger was locked or missing has no connection: an
    /// action then opens it again and fills what initialisation fills. True when it did;
    /// engine errors reach the caller.
    bool ReopenIfClosed();
    /// What initialisation reads from the ledger into the controls.
    virtual void FillFromLedger() = 0;
    /// Appends column 1 of every row of a list table to the combo, in table order. False
    /// when the table could not be opened (the combo is left as it was).
    static bool FillList(CADORecordset& rs, const std::string& table, QComboBox* combo);
    /// The text of the selected entry; text typed into the edit part is not used.
    static std::string SelectedText(const QComboBox* combo);
    /// Fills the account list: "（不指定）" first, then the accounts offered, and `nKeep`
    /// (a stopped account a record still has) when it is not among them.
    void FillAccounts(std::int64_t nKeep = 0);
    /// Selects the account (0: "（不指定）"); an account not in the list selects "（不指定）".
    void SelectAccount(std::int64_t nAccount);
    /// The selected account; 0 for "（不指定）".
    std::int64_t SelectedAccount() const;
    /// Fields WriteFields leaves as they are stored.
    enum KeepField { KeepNone = 0, KeepDate = 1, KeepNote = 2 };
    /// Sets the five record columns by name, in the order the record dialogs always used,
    /// but for those `nKeep` names.
    void WriteFields(CADORecordset& rs, const std::string& member, const std::string& item,
                     const COleDateTime& date, int nKeep = KeepNone) const;

    const CRecordTwin& m_twin;
    CADODatabase m_db;
    QComboBox* m_cbMember = nullptr;
    QComboBox* m_cbItem = nullptr;
    ui::DateTimePicker* m_dtPicker = nullptr;
    QComboBox* m_cbAccount = nullptr;
    CPictureStrip* m_stripPictures;
};
