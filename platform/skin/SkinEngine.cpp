#include "platform/skin/SkinEngine.h"

#include "platform/ui/Dialog.h"
#include "platform/ui/MenuResource.h"
#include "platform/ui/PopupMenu.h"
#include "platform/ui/ScaledIcon.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QStyle>
#include <QTreeWidget>

#include <cstring>

int dsLoadSkin(const char* name, int) {
    if (name == nullptr || qApp == nullptr)
        return 0;
    QFile sheet(QStringLiteral(":/res/skin/%1.qss").arg(QString::fromUtf8(name)));
    if (!sheet.open(QIODevice::ReadOnly))
        return 0;
    qApp->setStyleSheet(QString::fromUtf8(sheet.readAll()));
    return 1;
}

int dsExitSkin() {
    if (qApp == nullptr)
        return 0;
    qApp->setStyleSheet(QString());
    return 1;
}

int dsSkinWindow(QWidget* window, int kind, const char* element, int flag) {
    if (window == nullptr || element == nullptr)
        return 0;
    window->setProperty("skin", QString::fromUtf8(element));
    window->setProperty("skinKind", kind);
    window->setProperty("skinFlag", flag);
    // Property selectors are matched when a widget is polished.
    window->style()->unpolish(window);
    window->style()->polish(window);
    window->update();
    return 1;
}

int dsSetDrawItemValueEx(QTreeWidget* tree, QTreeWidgetItem* item, int column, const char* key,
                         const char* image, int) {
    if (tree == nullptr || item == nullptr || key == nullptr || image == nullptr ||
        std::strcmp(key, "icoitem") != 0)
        return 0;
    const QString path = QStringLiteral(":/res/skin/%1.png").arg(QString::fromUtf8(image));
    if (!QFile::exists(path))
        return 0;
    item->setIcon(column, ui::LoadScaledIcon(path));
    return 1;
}

int dsTrackPopupMenu(const ui::MenuPopup* menu, int, int x, int y, QWidget* owner, int) {
    if (menu == nullptr)
        return 0;
    const int chosen = ui::TrackPopup(*menu, QPoint(x, y), owner);
    if (chosen != 0) {
        if (auto* dialog = qobject_cast<ui::Dialog*>(owner))
            dialog->SendCommand(chosen);
    }
    return chosen;
}
