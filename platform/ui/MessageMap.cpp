#include "platform/ui/MessageMap.h"

#include "platform/ui/HandlerBoundary.h"

#include <QObject>
#include <QWidget>

#include <map>

namespace ui {
namespace {

// The window's handlers live in a child object, so they die with the window.
class MessageHandlers : public QObject {
public:
    explicit MessageHandlers(QWidget* window) : QObject(window) {
        setObjectName(QStringLiteral("coffer_message_handlers"));
    }
    std::map<unsigned, MessageHandler> handlers;
};

MessageHandlers* HandlersOf(QWidget* window) {
    return window->findChild<MessageHandlers*>(QStringLiteral("coffer_message_handlers"),
                                               Qt::FindDirectChildrenOnly);
}

} // namespace

void OnWindowMessage(QWidget* window, unsigned message, MessageHandler handler) {
    if (window == nullptr)
        return;
    MessageHandlers* map = HandlersOf(window);
    if (map == nullptr)
        map = new MessageHandlers(window);
    map->handlers[message] = std::move(handler);
}

long SendWindowMessage(QWidget* window, unsigned message, std::uintptr_t wParam,
                       std::intptr_t lParam) {
    if (window == nullptr)
        return 0;
    MessageHandlers* map = HandlersOf(window);
    if (map == nullptr)
        return 0;
    auto found = map->handlers.find(message);
    if (found == map->handlers.end())
        return 0;
    MessageHandler handler = found->second; // the handler may replace itself
    long result = 0;
    RunHandler(window, [&] { result = handler(wParam, lParam); });
    return result;
}

} // namespace ui
