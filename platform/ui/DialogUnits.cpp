#include "platform/ui/DialogUnits.h"

#include <QFontMetrics>

namespace ui {
namespace {

// Rounded like the platform's MulDiv, so that positions match to the pixel.
int MulDiv(int value, int numerator, int denominator) {
    long long product = static_cast<long long>(value) * numerator;
    long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : (product - half) / denominator);
}

} // namespace

DialogUnits::DialogUnits(const QFont& font) {
    QFontMetrics metrics(font);
    const int alphabetWidth = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_nBaseX = (alphabetWidth / 26 + 1) / 2;
    m_nBaseY = metrics.height();
}

int DialogUnits::ToPixelsX(int units) const { return MulDiv(units, m_nBaseX, 4); }

int DialogUnits::ToPixelsY(int units) const { return MulDiv(units, m_nBaseY, 8); }

QRect DialogUnits::ToPixels(int x, int y, int cx, int cy) const {
    return QRect(ToPixelsX(x), ToPixelsY(y), ToPixelsX(cx), ToPixelsY(cy));
}

} // namespace ui
