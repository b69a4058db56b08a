#pragma once

#include "controls/HeaderPainter.h"

#include <QColor>
#include <QPalette>
#include <QPoint>

class QPainter;

/// CHeaderPainter over a QPainter, in the colours of a widget's palette.
class CQtHeaderPainter : public CHeaderPainter {
public:
    CQtHeaderPainter(QPainter& painter, const QPalette& palette);

    void Save() override;
    void Restore() override;
    void SetClipRect(const QRect& rect) override;
    void FillRect(const QRect& rect, Colour colour) override;
    void DrawText(const QRect& rect, const std::string& text, Align align) override;
    void SelectPen(Colour colour) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;

private:
    QColor ColourOf(Colour colour) const;

    QPainter& m_painter;
    QPalette m_palette;
    QPoint m_ptCurrent;
};
