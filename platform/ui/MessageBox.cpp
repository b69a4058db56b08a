#include "platform/ui/MessageBox.h"

#include <QApplication>
#include <QMessageBox>

namespace ui {
namespace {

class QtMessageBoxes : public MessageBoxHandler {
public:
    int Show(QWidget* owner, const std::string& text, const std::string& caption) override {
        QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(caption),
                        QString::fromStdString(text), QMessageBox::Ok, owner);
        box.exec();
        return IDOK;
    }
};

QtMessageBoxes g_qtMessageBoxes;
MessageBoxHandler* g_handler = &g_qtMessageBoxes;

} // namespace

int MessageBox(QWidget* owner, const std::string& text) {
    return g_handler->Show(owner, text, QApplication::applicationName().toStdString());
}

MessageBoxHandler* SetMessageBoxHandler(MessageBoxHandler* handler) {
    MessageBoxHandler* previous = g_handler;
    g_handler = handler != nullptr ? handler : &g_qtMessageBoxes;
    return previous == &g_qtMessageBoxes ? nullptr : previous;
}

} // namespace ui
