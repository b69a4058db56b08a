#pragma once

#include "platform/ui/TextRow.h"

#include <cstdint>
#include <string>
#include <vector>

/// The record a report list keeps for each of its rows: the texts its own operations wrote
/// into the row, one per column, and the row's item data as it stood when the record was
/// made. Owned by the list.
struct CReportItemData {
    CReportItemData();
    ~CReportItemData();
    CReportItemData(const CReportItemData&) = delete;
    CReportItemData& operator=(const CReportItemData&) = delete;

    /// How many records exist right now; lets a test see that each is freed exactly once.
    static int LiveCount();

    ui::TextRow m_texts; // shares its block with the list's row until either changes
    std::uint32_t m_nUserData = 0;
};
