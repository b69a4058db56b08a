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

    int Ask(QWidget* owner, const std::string& text, const std::string& caption) override {
        QMessageBox box(QMessageBox::Question, QString::fromStdString(caption),
                        QString::fromStdString(text), QMessageBox::Yes | QMessageBox::No, owner);
        box.setDefaultButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? IDYES : IDNO;
    }
};

QtMessageBoxes g_qtMessageBoxes;
MessageBoxHandler* g_handler = &g_qtMessageBoxes;

} // namespace

int MessageBox(QWidget* owner, const std::string& text) {
    return g_handler->Show(owner, text, QApplication::applicationName().toStdString());
}

int MessageBoxHandler::Ask(QWidget* owner, const std::string& text, const std::string& caption) {
    Show(owner, text, caption);
    return IDNO;
}

int AskYesNo(QWidget* owner, const std::string& text) {
    return g_handler->Ask(owner, text, QApplication::applicationName().toStdString());
}

MessageBoxHandler* SetMessageBoxHandler(MessageBoxHandler* handler) {
    MessageBoxHandler* previous = g_handler;
    g_handler = handler != nullptr ? handler : &g_qtMessageBoxes;
    return previous == &g_qtMessageBoxes ? nullptr : previous;
}

} // namespace ui
