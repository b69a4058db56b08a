#pragma once

#include <QIcon>
#include <QString>

namespace ui {

/// The icon of an image file together with the drawings of it for scaled screens that lie
/// beside it (name@2x.png, name@3x.png), so that a window shows a sharp image at 150 % or
/// 200 % rather than a blown-up small one, whichever screen it is on.
QIcon LoadScaledIcon(const QString& path);

} // namespace ui
