#pragma once

#include "controls/HeaderPainter.h"
#include "controls/ReportCtrl.h"
#include "platform/ui/HeaderCtrl.h"

/// The report list's header: it holds the sort state and draws its owner-drawn headings,
/// the sort column with a small triangle pointing up (ascending) or down (descending).
class CReportCtrl::CReportHeaderCtrl : public ui::HeaderCtrl {
public:
    explicit CReportHeaderCtrl(QWidget* parent = nullptr);
    ~CReportHeaderCtrl() override;

    /// Draws heading `item` in `rect` (the item's rectangle in header coordinates).
    void DrawItem(CHeaderPainter& painter, const QRect& rect, int item) const;

    int m_nSortColumn = -1;
    bool m_bSortAscending = true;

protected:
    void DrawItem(QPainter& painter, const QRect& rect, int item) const override;
};
