#include "platform/ui/ScaledIcon.h"

#include <QFile>

namespace ui {

QIcon LoadScaledIcon(const QString& path) {
    QIcon icon;
    if (!QFile::exists(path))
        return icon;
    icon.addFile(path);
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const QString base = dot < 0 ? path : path.left(dot);
    const QString suffix = dot < 0 ? QString() : path.mid(dot);
    for (int scale : {2, 3}) {
        const QString scaled = QStringLiteral("%1@%2x%3").arg(base).arg(scale).arg(suffix);
        if (QFile::exists(scaled))
            icon.addFile(scaled);
    }
    return icon;
}

} // namespace ui
