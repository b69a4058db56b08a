#include "controls/ReportHeaderCtrl.h"

#include "controls/QtHeaderPainter.h"

#include <QPainter>

namespace {

constexpr size_t kMaxHeadingBytes = 255;

// At most 255 bytes of the heading, cut before a character, not inside one.
std::string HeadingText(std::string text) {
    if (text.size() <= kMaxHeadingBytes)
        return text;
    size_t size = kMaxHeadingBytes;
    while (size > 0 && (static_cast<unsigned char>(text[size]) & 0xC0) == 0x80)
        --size;
    text.resize(size);
    return text;
}

CHeaderPainter::Align AlignOf(int format) {
    switch (format & ui::LVCFMT_JUSTIFYMASK) {
    case ui::LVCFMT_CENTER:
        return CHeaderPainter::Align::Center;
    case ui::LVCFMT_RIGHT:
        return CHeaderPainter::Align::Right;
    default:
        return CHeaderPainter::Align::Left;
    }
}

} // namespace

CReportCtrl::CReportHeaderCtrl::CReportHeaderCtrl(QWidget* parent) : ui::HeaderCtrl(parent) {}

CReportCtrl::CReportHeaderCtrl::~CReportHeaderCtrl() = default;

void CReportCtrl::CReportHeaderCtrl::DrawItem(QPainter& painter, const QRect& rect, int item) const {
    CQtHeaderPainter qtPainter(painter, palette());
    DrawItem(qtPainter, rect, item);
}

void CReportCtrl::CReportHeaderCtrl::DrawItem(CHeaderPainter& painter, const QRect& rect,
                                              int item) const {
    // The item rectangle's edges as the header counts them: right and bottom exclusive.
    const int left = rect.x();
    const int top = rect.y();
    const int right = rect.x() + rect.width();
    const int bottom = rect.y() + rect.height();

    painter.Save();
    painter.SetClipRect(rect);
    painter.FillRect(rect, CHeaderPainter::Colour::ButtonFace);

    const std::string text = HeadingText(GetItemText(item));
    const int format = GetItemFormat(item);

    int labelLeft = left;
    int labelTop = top;
    int labelRight = right;
    if (IsItemPressed(item)) {
        labelLeft += 1;
        labelRight += 1;
        labelTop += 2;
    }

    const int o = (bottom - top) / 4;
    const bool bSortColumn = item == m_nSortColumn;
    if (bSortColumn)
        labelRight -= 3 * o;
    labelLeft += o;
    labelRight -= o;
    if (labelRight > labelLeft)
        painter.DrawText(QRect(labelLeft, labelTop, labelRight - labelLeft, bottom - labelTop),
                         text, AlignOf(format));

    if (bSortColumn) {
        using Colour = CHeaderPainter::Colour;
        if (m_bSortAscending) {
            painter.SelectPen(Colour::ButtonHighlight);
            painter.MoveTo(right - 2 * o, o);
            painter.LineTo(right - o, bottom - o - 1);
            painter.LineTo(right - 3 * o - 2, bottom - o - 1);
            painter.SelectPen(Colour::ButtonShadow);
            painter.MoveTo(right - 3 * o - 1, bottom - o - 1);
            painter.LineTo(right - 2 * o, o - 1);
        } else {
            painter.SelectPen(Colour::ButtonHighlight);
            painter.MoveTo(right - o - 1, o);
            painter.LineTo(right - 2 * o - 1, bottom - o);
            painter.SelectPen(Colour::ButtonShadow);
            painter.MoveTo(right - 2 * o - 2, bottom - o);
            painter.LineTo(right - 3 * o - 1, o);
            painter.LineTo(right - o - 1, o);
        }
    }
    painter.Restore();
}
