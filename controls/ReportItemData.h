#pragma once

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

    std::vector<std::string> m_texts;
    std::uint32_t m_nUserData = 0;
};
