#include "platform/ui/PopupMenu.h"

#include "platform/ui/MenuResource.h"

#include <QAction>
#include <QMenu>

namespace ui {
namespace {

class QtPopupMenus : public PopupMenuHandler {
public:
    int Track(const MenuPopup& popup, QPoint screenPos, QWidget* owner) override {
        QMenu menu(owner);
        for (const MenuItem& item : popup.items) {
            if (item.IsSeparator()) {
                menu.addSeparator();
                continue;
            }
            QAction* action = menu.addAction(QString::fromStdString(item.text));
            action->setData(item.id);
        }
        QAction* chosen = menu.exec(screenPos);
        return chosen != nullptr ? chosen->data().toInt() : 0;
    }
};

QtPopupMenus g_qtPopupMenus;
PopupMenuHandler* g_handler = &g_qtPopupMenus;

} // namespace

int TrackPopup(const MenuPopup& popup, QPoint screenPos, QWidget* owner) {
    return g_handler->Track(popup, screenPos, owner);
}

PopupMenuHandler* SetPopupMenuHandler(PopupMenuHandler* handler) {
    PopupMenuHandler* previous = g_handler;
    g_handler = handler != nullptr ? handler : &g_qtPopupMenus;
    return previous == &g_qtPopupMenus ? nullptr : previous;
}

} // namespace ui
