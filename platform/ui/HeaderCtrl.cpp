#include "platform/ui/HeaderCtrl.h"

#include <QMouseEvent>
#include <QPainter>

namespace ui {

HeaderCtrl::HeaderCtrl(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setSectionsClickable(true);
    setSortIndicatorShown(false);
    setHighlightSections(false);
    setStretchLastSection(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

HeaderCtrl::~HeaderCtrl() = default;

int HeaderCtrl::GetItemFormat(int item) const {
    if (model() == nullptr || item < 0 || item >= count())
        return -1;
    return model()->headerData(item, Qt::Horizontal, kFormatRole).toInt();
}

bool HeaderCtrl::SetItemFormat(int item, int format) {
    if (model() == nullptr || item < 0 || item >= count())
        return false;
    if (!model()->setHeaderData(item, Qt::Horizontal, format, kFormatRole))
        return false;
    updateSection(item);
    return true;
}

std::string HeaderCtrl::GetItemText(int item) const {
    if (model() == nullptr || item < 0 || item >= count())
        return {};
    return model()->headerData(item, Qt::Horizontal, Qt::DisplayRole).toString().toStdString();
}

void HeaderCtrl::DrawItem(QPainter& /*painter*/, const QRect& /*rect*/, int /*item*/) const {}

void HeaderCtrl::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    if ((GetItemFormat(logicalIndex) & HDF_OWNERDRAW) == 0) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    painter->save();
    DrawItem(*painter, rect, logicalIndex);
    painter->restore();
    // The divider the plain headings have, so that an owner-drawn one still looks apart.
    painter->save();
    painter->setPen(palette().color(QPalette::Mid));
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    painter->restore();
}

void HeaderCtrl::mousePressEvent(QMouseEvent* event) {
    QHeaderView::mousePressEvent(event);
    if (event->button() == Qt::LeftButton && sectionsClickable())
        SetPressed(logicalIndexAt(event->position().toPoint()));
}

void HeaderCtrl::mouseReleaseEvent(QMouseEvent* event) {
    SetPressed(-1);
    QHeaderView::mouseReleaseEvent(event);
}

void HeaderCtrl::SetPressed(int item) {
    if (item == m_nPressed)
        return;
    const int previous = m_nPressed;
    m_nPressed = item;
    if (previous >= 0)
        updateSection(previous);
    if (item >= 0)
        updateSection(item);
}

} // namespace ui
