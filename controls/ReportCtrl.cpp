#include "controls/ReportCtrl.h"

#include "controls/ReportHeaderCtrl.h"
#include "controls/ReportItemData.h"

#include <algorithm>
#include <climits>
#include <utility>

CReportCtrl::CReportCtrl(QWidget* parent)
    : ui::ListCtrl(parent), m_wndHeader(new CReportHeaderCtrl(this)) {
    SetHeaderCtrl(m_wndHeader);
    SetExtendedStyle(GetExtendedStyle() | ui::LVS_EX_FULLROWSELECT);
    // Connected before any dialog handler, so the rows are sorted when the dialog hears.
    connect(this, &ui::ListCtrl::columnClicked, this, &CReportCtrl::OnColumnClick);
}

CReportCtrl::~CReportCtrl() {
    OnDestroy();
}

void CReportCtrl::OnDestroy() {
    for (int nItem = 0; nItem < GetItemCount(); ++nItem)
        SetItemData(nItem, 0);
    m_records.clear();
    m_freeHandles.clear();
}

CReportItemData* CReportCtrl::RecordOf(std::uint32_t handle) const {
    if (handle == 0 || handle > m_records.size())
        return nullptr;
    return m_records[handle - 1].get();
}

std::uint32_t CReportCtrl::Adopt(std::unique_ptr<CReportItemData> record) {
    if (!m_freeHandles.empty()) {
        const std::uint32_t handle = m_freeHandles.back();
        m_freeHandles.pop_back();
        m_records[handle - 1] = std::move(record);
        return handle;
    }
    m_records.push_back(std::move(record));
    return static_cast<std::uint32_t>(m_records.size());
}

void CReportCtrl::Free(std::uint32_t handle) {
    if (RecordOf(handle) == nullptr)
        return;
    m_records[handle - 1].reset();
    m_freeHandles.push_back(handle);
}

int CReportCtrl::InsertColumn(int nCol, const std::string& heading, int nFormat, int nWidth) {
    for (int nItem = 0; nItem < GetItemCount(); ++nItem)
        OwnValueRow(nItem);
    const int nResult = ui::ListCtrl::InsertColumn(nCol, heading, nFormat, nWidth);
    if (nResult < 0)
        return nResult;
    const int nColumns = GetColumnCount();
    for (int nItem = 0; nItem < GetItemCount(); ++nItem) {
        CReportItemData* record = RecordAt(nItem);
        if (record == nullptr)
            continue;
        std::vector<std::string> texts(static_cast<size_t>(nColumns));
        for (int nSub = 0; nSub < nColumns; ++nSub)
            texts[static_cast<size_t>(nSub)] = GetItemText(nItem, nSub);
        record->m_texts = ui::TextRow(texts);
    }
    return nResult;
}

int CReportCtrl::InsertItem(int nIndex, std::vector<std::string> texts) {
    texts.resize(static_cast<size_t>(GetColumnCount()));
    // The list's row and the record share one block of texts until either changes.
    const ui::TextRow shared(texts);
    auto record = std::make_unique<CReportItemData>();
    record->m_nUserData = 0; // a new row's item data
    record->m_texts = shared;
    const std::uint32_t handle = Adopt(std::move(record));
    const int nItem = ui::ListCtrl::InsertItem(nIndex, shared, handle);
    if (nItem < 0 || nItem >= GetItemCount())
        Free(handle);
    return nItem;
}

int CReportCtrl::InsertItemFromCells(int nIndex, std::uint32_t nCellsRow) {
    if (IsValueHandle(nCellsRow))
        return -1;
    return ui::ListCtrl::InsertItemFromCells(nIndex, nCellsRow, kValueRow | nCellsRow);
}

long CReportCtrl::GetCellsRow(int nItem) const {
    const std::uint32_t handle = GetItemData(nItem);
    return IsValueHandle(handle) ? static_cast<long>(handle & ~kValueRow) : -1;
}

int CReportCtrl::AppendItemsFromCells(std::uint32_t nFirstCellsRow, std::uint32_t nCount) {
    // The model takes only cells' rows below kNoCells, which lie under the value-row mark:
    // the handle of each next row is one more.
    static_assert(ui::ListModel::kNoCells < kValueRow);
    return ui::ListCtrl::AppendItemsFromCells(nFirstCellsRow, nCount, kValueRow | nFirstCellsRow);
}

void CReportCtrl::OwnValueRow(int nItem) {
    if (!IsValueHandle(GetItemData(nItem)))
        return;
    ui::ListModel& model = *GetListModel();
    model.OwnTexts(nItem);
    auto record = std::make_unique<CReportItemData>();
    record->m_texts = model.RowAt(nItem)->texts;
    SetItemData(nItem, Adopt(std::move(record)));
}

bool CReportCtrl::SetItemText(int nItem, int nSubItem, const std::string& text) {
    if (nSubItem >= 0 && nSubItem < GetColumnCount())
        OwnValueRow(nItem);
    if (!ui::ListCtrl::SetItemText(nItem, nSubItem, text))
        return false;
    if (CReportItemData* record = RecordAt(nItem)) {
        record->m_texts = record->m_texts.With(static_cast<size_t>(nSubItem), text);
    }
    return true;
}

bool CReportCtrl::SetRowKey(int nItem, std::uint32_t nKey) {
    if (nItem < 0 || nItem >= GetItemCount())
        return false;
    OwnValueRow(nItem);
    CReportItemData* record = RecordAt(nItem);
    if (record == nullptr)
        return false;
    record->m_nUserData = nKey;
    return true;
}

std::uint32_t CReportCtrl::GetRowKey(int nItem) const {
    if (nItem < 0 || nItem >= GetItemCount())
        return 0;
    const CReportItemData* record = RecordAt(nItem);
    return record != nullptr ? record->m_nUserData : 0;
}

bool CReportCtrl::DeleteItem(int nIndex) {
    if (nIndex < 0 || nIndex >= GetItemCount())
        return false;
    const std::uint32_t handle = GetItemData(nIndex);
    if (!ui::ListCtrl::DeleteItem(nIndex))
        return false;
    Free(handle);
    return true;
}

int CReportCtrl::DeleteAllItems() {
    // All at once: deleting row 0 over and over would move every row each time. Every
    // record belongs to a row, so with the rows go all of them, without a walk.
    const int nCount = GetItemCount();
    ui::ListCtrl::DeleteAllItems();
    m_records.clear();
    m_freeHandles.clear();
    return nCount;
}

bool CReportCtrl::MoveUp(int nIndex, int nCount) {
    if (nCount == INT_MIN)
        return false;
    if (nCount < 0)
        return MoveDown(nIndex, -nCount);
    for (int nStep = 0; nStep < nCount; ++nStep, --nIndex) {
        if (nIndex < 1 || nIndex >= GetItemCount())
            return false;
        SwapItems(nIndex, nIndex - 1);
    }
    return true;
}

bool CReportCtrl::MoveDown(int nIndex, int nCount) {
    if (nCount == INT_MIN)
        return false;
    if (nCount < 0)
        return MoveUp(nIndex, -nCount);
    for (int nStep = 0; nStep < nCount; ++nStep) {
        if (nIndex > INT_MAX - nStep - 1 || !SwapItems(nIndex + nStep, nIndex + nStep + 1))
            return false;
    }
    return true;
}

bool CReportCtrl::SwapItems(int nFirst, int nSecond) {
    const int nItems = GetItemCount();
    if (nFirst < 0 || nFirst >= nItems || nSecond < 0 || nSecond >= nItems)
        return false;
    for (int nSub = 0; nSub < GetColumnCount(); ++nSub) {
        const std::string first = GetItemText(nFirst, nSub);
        const std::string second = GetItemText(nSecond, nSub);
        SetItemText(nFirst, nSub, second);
        SetItemText(nSecond, nSub, first);
    }
    CReportItemData* firstRecord = RecordAt(nFirst);
    CReportItemData* secondRecord = RecordAt(nSecond);
    if (firstRecord != nullptr && secondRecord != nullptr)
        std::swap(firstRecord->m_nUserData, secondRecord->m_nUserData);

    const bool bFirstChecked = GetCheck(nFirst);
    SetCheck(nFirst, GetCheck(nSecond));
    SetCheck(nSecond, bFirstChecked);

    const bool bFirstSelected = IsSelected(nFirst);
    SetSelected(nFirst, IsSelected(nSecond));
    SetSelected(nSecond, bFirstSelected);
    return true;
}

void CReportCtrl::OnColumnClick(int nColumn) {
    const bool bAscending =
        nColumn != m_wndHeader->m_nSortColumn ? true : !m_wndHeader->m_bSortAscending;
    if (nColumn < 0 || nColumn >= m_wndHeader->GetItemCount())
        return;
    m_wndHeader->m_nSortColumn = nColumn;
    m_wndHeader->m_bSortAscending = bAscending;
    m_wndHeader->SetItemFormat(nColumn, m_wndHeader->GetItemFormat(nColumn) | ui::HDF_OWNERDRAW);
    m_wndHeader->viewport()->update();

    PrepareSortKeys(nColumn);
    SortItems(&CReportCtrl::CompareItems, this);
    m_sortKeys.clear();
    m_sortKeys.shrink_to_fit();
    m_strCollation.clear();
    m_strCollation.shrink_to_fit();
    m_strValueTexts.clear();
    m_strValueTexts.shrink_to_fit();
}

void CReportCtrl::PrepareSortKeys(int nColumn) {
    // Each row's key once per sort, not once per comparison; and of each key only what
    // this column can ask of it. A number first reads the second as a number, whatever it
    // is; a non-number first tries both as date-times. So a number key needs its value
    // and a non-number key its date-time at once; the other reading only when the column
    // holds both kinds.
    //
    // Value rows write their cells of this column once, into one text the keys look into.
    // Their cells are their record: a text set behind the control's back is not sorted on,
    // as for the other rows.
    const ui::ListCells* cells = GetListModel()->Cells();
    std::vector<std::pair<std::uint32_t, size_t>> valueEnds; // cells row, end of its text
    size_t nValueSlots = 0;
    for (int nItem = 0; cells != nullptr && nItem < GetItemCount(); ++nItem) {
        const std::uint32_t handle = GetItemData(nItem);
        if (!IsValueHandle(handle))
            continue;
        const std::uint32_t nRow = handle & ~kValueRow;
        m_strValueTexts += cells->Text(nRow, nColumn);
        valueEnds.emplace_back(nRow, m_strValueTexts.size());
        nValueSlots = std::max(nValueSlots, static_cast<size_t>(nRow) + 1);
    }
    m_nValueKeysAt = m_records.size();
    m_sortKeys.assign(m_records.size() + nValueSlots, CReportSortKey());

    bool bNumbers = false;
    bool bOthers = false;
    const auto firstReading = [&](size_t nSlot, std::string_view text) {
        CReportSortKey& key = m_sortKeys[nSlot] = CReportSortKey::KindOnly(text);
        if (key.IsEmpty())
            return;
        if (key.IsNumber()) {
            bNumbers = true;
            key.ReadNumber();
        } else {
            bOthers = true;
            key.ReadDate();
        }
    };
    for (size_t nSlot = 0; nSlot < m_records.size(); ++nSlot) {
        const CReportItemData* record = m_records[nSlot].get();
        if (record != nullptr && static_cast<size_t>(nColumn) < record->m_texts.Size())
            firstReading(nSlot, record->m_texts.At(static_cast<size_t>(nColumn)));
    }
    const std::string_view valueTexts = m_strValueTexts;
    size_t nBegin = 0;
    for (const auto& [nRow, nEnd] : valueEnds) {
        firstReading(m_nValueKeysAt + nRow, valueTexts.substr(nBegin, nEnd - nBegin));
        nBegin = nEnd;
    }
    bool bText = false;
    bool bDate = false;
    bool bNotDate = false;
    for (CReportSortKey& key : m_sortKeys) {
        if (key.IsEmpty())
            continue;
        if (bNumbers && !key.IsNumber())
            key.ReadNumber();
        if (bOthers && key.IsNumber())
            key.ReadDate();
        bText = bText || (!key.IsNumber() && !key.IsDate());
        bDate = bDate || (!key.IsNumber() && key.IsDate());
        bNotDate = bNotDate || !key.IsDate();
    }
    // Texts are compared only when some cell is a plain text, or a date-time meets a cell
    // that is none; a column of numbers or of date-times never needs them.
    if (!bText && !(bDate && bNotDate))
        return;
    std::vector<std::pair<size_t, size_t>> spans(m_sortKeys.size());
    for (size_t nSlot = 0; nSlot < m_sortKeys.size(); ++nSlot) {
        if (m_sortKeys[nSlot].IsEmpty())
            continue;
        const std::string gb18030 = CReportSortKey::ToGb18030(m_sortKeys[nSlot].Text());
        spans[nSlot] = {m_strCollation.size(), gb18030.size()};
        m_strCollation += gb18030;
    }
    const std::string_view collation = m_strCollation;
    for (size_t nSlot = 0; nSlot < m_sortKeys.size(); ++nSlot) {
        if (!m_sortKeys[nSlot].IsEmpty())
            m_sortKeys[nSlot].SetCollation(
                collation.substr(spans[nSlot].first, spans[nSlot].second));
    }
}

int CReportCtrl::CompareItems(std::uint32_t lParam1, std::uint32_t lParam2, void* context) {
    const auto* self = static_cast<const CReportCtrl*>(context);
    const bool bAscending = self->m_wndHeader->m_bSortAscending;
    const std::vector<CReportSortKey>& keys = self->m_sortKeys;
    if (!keys.empty()) {
        const size_t nFirst = self->KeySlot(lParam1);
        const size_t nSecond = self->KeySlot(lParam2);
        const CReportSortKey& first = nFirst < keys.size() ? keys[nFirst] : self->m_emptyKey;
        const CReportSortKey& second = nSecond < keys.size() ? keys[nSecond] : self->m_emptyKey;
        return CReportSortKey::Compare(first, second, bAscending);
    }
    // Outside a heading click: work the keys out here.
    const int nColumn = self->m_wndHeader->m_nSortColumn;
    auto textOf = [&](std::uint32_t handle) {
        const ui::ListCells* cells = self->GetListModel()->Cells();
        if (nColumn < 0)
            return std::string();
        if (IsValueHandle(handle))
            return cells != nullptr ? cells->Text(handle & ~kValueRow, nColumn) : std::string();
        const CReportItemData* record = self->RecordOf(handle);
        return record != nullptr ? std::string(record->m_texts.At(static_cast<size_t>(nColumn)))
                                 : std::string();
    };
    const std::string first = textOf(lParam1);
    const std::string second = textOf(lParam2);
    return CReportSortKey::Compare(CReportSortKey(first), CReportSortKey(second), bAscending);
}

size_t CReportCtrl::KeySlot(std::uint32_t handle) const {
    // Handle 0 (no record) wraps round past the end and finds the empty key.
    return IsValueHandle(handle) ? m_nValueKeysAt + (handle & ~kValueRow)
                                 : static_cast<size_t>(handle) - 1;
}
