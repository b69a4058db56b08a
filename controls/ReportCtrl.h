#pragma once

#include "controls/ReportSortKey.h"
#include "platform/ui/ListCtrl.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct CReportItemData;

/// The sortable report list of the inquiry and base-data dialogs. It keeps a record of
/// each row's texts (CReportItemData), referred to by the row's item data, sorts the rows
/// by a column when its heading is clicked (ascending, then alternating) with a comparison
/// that knows numbers and date-times, and draws a triangle in the sorted heading. Rows must
/// be inserted through its own InsertItem, and its item data is not for the caller.
class CReportCtrl : public ui::ListCtrl {
    Q_OBJECT
public:
    class CReportHeaderCtrl;

    explicit CReportCtrl(QWidget* parent = nullptr);
    ~CReportCtrl() override;

    int InsertColumn(int nCol, const std::string& heading, int nFormat = ui::LVCFMT_LEFT,
                     int nWidth = -1);
    /// One text per column after the index; missing texts (or null ones) are empty, texts
    /// past the last column are ignored. Returns the row index, or a negative value when
    /// no row was made.
    template <typename... Texts> int InsertItem(int nIndex, const Texts&... texts) {
        return InsertItem(nIndex, std::vector<std::string>{ItemText(texts)...});
    }
    int InsertItem(int nIndex, std::vector<std::string> texts);
    /// Inserts a value row: its texts are written by the list's cells (SetCells) from their
    /// row `nCellsRow` (below ui::ListModel::kNoCells) whenever they are needed, for the view and
    /// for sorting alike. The row keeps no record until one of its texts is changed.
    int InsertItemFromCells(int nIndex, std::uint32_t nCellsRow);
    /// The same for the cells' rows `nFirstCellsRow` … `nFirstCellsRow + nCount − 1`, appended
    /// in that order in one step; returns the index of the first, or −1 (nothing added).
    int AppendItemsFromCells(std::uint32_t nFirstCellsRow, std::uint32_t nCount);
    /// The cells row a value row shows, wherever a sort moved it; −1 for a row of texts.
    long GetCellsRow(int nItem) const;
    bool SetItemText(int nItem, int nSubItem, const std::string& text);
    /// A number of the caller's (a record's key) that stays with the row wherever a sort or
    /// a move takes it; 0 until set.
    bool SetRowKey(int nItem, std::uint32_t nKey);
    std::uint32_t GetRowKey(int nItem) const;
    bool DeleteItem(int nIndex);
    /// Returns the number of rows deleted.
    int DeleteAllItems();
    int GetFirstSelectedItem() const { return ui::ListCtrl::GetFirstSelectedItem(); }
    bool IsItemSelected(int nIndex) const { return IsSelected(nIndex); }
    bool MoveUp(int nIndex, int nCount = 1);
    bool MoveDown(int nIndex, int nCount = 1);
    bool SwapItems(int nFirst, int nSecond);

    CReportHeaderCtrl& GetReportHeader() const { return *m_wndHeader; }

    /// The sort callback: orders two rows by their records in the sort column. `context`
    /// is the list itself.
    static int CompareItems(std::uint32_t lParam1, std::uint32_t lParam2, void* context);

protected:
    void OnColumnClick(int nColumn);
    void OnDestroy();

private:
    static std::string ItemText(const char* text) { return text != nullptr ? text : ""; }
    static std::string ItemText(std::string_view text) { return std::string(text); }

    // A value row's item data: this bit and its cells row.
    static constexpr std::uint32_t kValueRow = 0x80000000;
    static bool IsValueHandle(std::uint32_t handle) { return (handle & kValueRow) != 0; }

    CReportItemData* RecordOf(std::uint32_t handle) const;
    CReportItemData* RecordAt(int nItem) const { return RecordOf(GetItemData(nItem)); }
    std::uint32_t Adopt(std::unique_ptr<CReportItemData> record);
    void Free(std::uint32_t handle);
    /// A value row becomes a row of texts with its record, before anything changes them.
    void OwnValueRow(int nItem);
    void PrepareSortKeys(int nColumn);
    /// Where a row's key is in m_sortKeys (past the end for a row without a record).
    size_t KeySlot(std::uint32_t handle) const;

    CReportHeaderCtrl* m_wndHeader;
    // A row's item data is its record's handle: slot + 1, so that 0 means no record.
    std::vector<std::unique_ptr<CReportItemData>> m_records;
    std::vector<std::uint32_t> m_freeHandles;
    // Filled for the length of one sort: the records' keys by slot, then the value rows'
    // keys by cells row from m_nValueKeysAt on.
    std::vector<CReportSortKey> m_sortKeys;
    size_t m_nValueKeysAt = 0;
    std::string m_strValueTexts; // the value rows' texts of the sort column
    std::string m_strCollation;  // the keys' GB18030 texts, one after another
    CReportSortKey m_emptyKey;   // for rows without a record
};

// The nested header lives in its own files; users of the list get it complete.
#include "controls/ReportHeaderCtrl.h"
