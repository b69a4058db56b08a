#pragma once

#include <QFont>
#include <QRect>

namespace ui {

/// Converts template positions in dialog units to pixels: a horizontal unit is a quarter of
/// the dialog font's average character width, a vertical unit an eighth of its height.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    DialogUnits(int baseWidth, int baseHeight) : m_nBaseX(baseWidth), m_nBaseY(baseHeight) {}

    int BaseX() const { return m_nBaseX; }
    int BaseY() const { return m_nBaseY; }
    int ToPixelsX(int units) const;
    int ToPixelsY(int units) const;
    QRect ToPixels(int x, int y, int cx, int cy) const;

private:
    int m_nBaseX;
    int m_nBaseY;
};

} // namespace ui
