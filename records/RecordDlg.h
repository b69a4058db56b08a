#pragma once

#include "data/ADODatabase.h"
#include "platform/ole/OleDateTime.h"
#include "platform/ui/Dialog.h"
#include "records/RecordTwin.h"

#include <string>

class CADORecordset;
class QComboBox;

namespace ui {
class DateTimePicker;
}

/// What the record entry and edit dialogs share: the controls of one record (amount,
/// member, date, category, note), the dialog's own connection, the choice lists filled
/// from the list tables, and the writing of a record's fields.
class CRecordDlg : public ui::Dialog {
public:
    enum ControlId { IDC_MEMBER = 1018, IDC_ITEM = 1019, IDC_DATE = 1021, IDC_NOTE = 1025 };

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
};
