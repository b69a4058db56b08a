#pragma once

#include "data/ADODatabase.h"
#include "data/ADORecordset.h"
#include "platform/ui/Dialog.h"

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class CReportCtrl;

namespace ui {
class ListCtrl;
}

/// 基础数据管理: keeps the family members and the income and expense categories, the lists
/// that the entry dialogs offer, including their order. The tables are named by baseData.
class CBaseDataDlg : public ui::Dialog {
public:
    enum { IDD = 132 };
    enum ControlId {
        IDC_TABLES = 1013,
        IDC_ENTRIES = 1012,
        IDC_TYPE = 1046,
        IDC_REMARK = 1025,
        IDC_ADD = 1016,
        IDC_DELETE = 1002,
        IDC_CHANGE = 1003,
        IDC_MOVE_UP = 1004,
        IDC_MOVE_DOWN = 1005,
        IDC_CLOSE = 1017,
    };

    explicit CBaseDataDlg(QWidget* parent = nullptr);
    ~CBaseDataDlg() override;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(ui::DataExchange& dx) override;

private:
    void OnTableClick();
    void OnEntryClick();
    /// Tells the list entry watch about a renamed or deleted entry of the shown table.
    void TellWatch(const std::string& strEntry, const std::optional<std::string>& renamed);
    void OnAddType();
    void OnDeleteType();
    void OnChangeType();
    void OnMoveUp();
    void OnMoveDown();

    using Entries = std::vector<std::pair<std::string, std::string>>;

    /// Lists the tables named by baseData in the table list.
    void FillTables();
    /// A dialog that came up while the ledger was locked or missing, or whose connection a
    /// failed rollback closed, opens it again when an action needs it and lists the tables
    /// as initialisation does. Engine errors reach the caller.
    void ReopenIfClosed();

    /// Refills the entry list from the table; false (the list untouched) when the table
    /// did not open.
    bool ReloadEntries(const std::string& strTable);
    /// 类型 and 备注 of every row of the table, in table order; false when it did not open.
    bool ReadEntries(const std::string& strTable, Entries& entries);
    /// Stores the entry list's order in the shown table, all rows or none; `undoMove` puts
    /// the list back when the table could not be rewritten.
    void SaveOrder(const std::function<void()>& undoMove);
    /// Ends a failed transaction without letting a failing rollback hide why it failed; a
    /// connection that could not roll back is closed, which rolls back for certain.
    void AbandonTrans();
    void ClearTable();
    /// False when a row was not stored.
    bool RewriteTable();
    /// Opens the shown table's entry with this text; false when no table is shown or the
    /// query did not open.
    bool OpenEntry(CADORecordset& rs, const std::string& strText);

    ui::ListCtrl* m_listTables = nullptr;
    CReportCtrl* m_listEntries;
    CADODatabase m_db;
    std::string m_strType;
    std::string m_strRemark;
    // The table whose entries the entry list shows; every write goes to this one, whatever
    // the table list's selection has become since.
    std::string m_strShownTable;
    // What that table held when the list was last filled from it or written to it: a
    // reorder stores the list only over exactly these rows.
    Entries m_shownEntries;
};
