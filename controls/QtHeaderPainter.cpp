#include "controls/QtHeaderPainter.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPen>

CQtHeaderPainter::CQtHeaderPainter(QPainter& painter, const QPalette& palette)
    : m_painter(painter), m_palette(palette) {}

void CQtHeaderPainter::Save() {
    m_painter.save();
}

void CQtHeaderPainter::Restore() {
    m_painter.restore();
}

void CQtHeaderPainter::SetClipRect(const QRect& rect) {
    m_painter.setClipRect(rect);
}

void CQtHeaderPainter::FillRect(const QRect& rect, Colour colour) {
    m_painter.fillRect(rect, ColourOf(colour));
}

void CQtHeaderPainter::DrawText(const QRect& rect, const std::string& text, Align align) {
    const Qt::Alignment horizontal = align == Align::Center  ? Qt::AlignHCenter
                                     : align == Align::Right ? Qt::AlignRight
                                                             : Qt::AlignLeft;
    const QString elided = m_painter.fontMetrics().elidedText(QString::fromStdString(text),
                                                              Qt::ElideRight, rect.width());
    m_painter.setPen(m_palette.color(QPalette::ButtonText));
    m_painter.drawText(rect, static_cast<int>(horizontal | Qt::AlignVCenter | Qt::TextSingleLine),
                       elided);
}

void CQtHeaderPainter::SelectPen(Colour colour) {
    QPen pen(ColourOf(colour));
    pen.setWidth(1);
    pen.setStyle(Qt::SolidLine);
    m_painter.setPen(pen);
    m_painter.setRenderHint(QPainter::Antialiasing, false);
}

void CQtHeaderPainter::MoveTo(int x, int y) {
    m_ptCurrent = QPoint(x, y);
}

void CQtHeaderPainter::LineTo(int x, int y) {
    const QPoint end(x, y);
    m_painter.drawLine(m_ptCurrent, end);
    m_ptCurrent = end;
}

QColor CQtHeaderPainter::ColourOf(Colour colour) const {
    switch (colour) {
    case Colour::ButtonHighlight:
        return m_palette.color(QPalette::Light);
    case Colour::ButtonShadow:
        return m_palette.color(QPalette::Dark);
    case Colour::ButtonFace:
    default:
        return m_palette.color(QPalette::Button);
    }
}
