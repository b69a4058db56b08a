#include "platform/ui/DataExchange.h"

#include "platform/ui/DateTimePicker.h"
#include "platform/ui/Dialog.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace ui {
namespace {

std::string ControlText(QWidget* control) {
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        return edit->text().toStdString();
    if (auto* multiLine = qobject_cast<QPlainTextEdit*>(control))
        return multiLine->toPlainText().toStdString();
    if (auto* combo = qobject_cast<QComboBox*>(control))
        return combo->currentText().toStdString();
    if (auto* label = qobject_cast<QLabel*>(control))
        return label->text().toStdString();
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        return button->text().toStdString();
    return control->windowTitle().toStdString();
}

void SetControlText(QWidget* control, const std::string& text) {
    const QString qtext = QString::fromStdString(text);
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->setText(qtext);
    else if (auto* multiLine = qobject_cast<QPlainTextEdit*>(control))
        multiLine->setPlainText(qtext);
    else if (auto* combo = qobject_cast<QComboBox*>(control))
        combo->setEditText(qtext);
    else if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(qtext);
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(qtext);
    else
        control->setWindowTitle(qtext);
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// A number is the whole text but for blanks around it; an empty text is not a number.
bool ParseDouble(const std::string& text, double& value) {
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    double parsed = std::strtod(begin, &end);
    if (end == begin || errno == ERANGE)
        return false;
    while (*end != '\0' && IsBlank(*end))
        ++end;
    if (*end != '\0')
        return false;
    value = parsed;
    return true;
}

bool ParseInt(const std::string& text, int& value) {
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    long parsed = std::strtol(begin, &end, 10);
    if (end == begin || errno == ERANGE || parsed < INT32_MIN || parsed > INT32_MAX)
        return false;
    while (*end != '\0' && IsBlank(*end))
        ++end;
    if (*end != '\0')
        return false;
    value = static_cast<int>(parsed);
    return true;
}

} // namespace

DataExchange::DataExchange(Dialog& dialog, bool saveAndValidate)
    : m_bSaveAndValidate(saveAndValidate), m_dialog(dialog) {}

QWidget* DataExchange::PrepareCtrl(int id) {
    if (m_bFailed)
        return nullptr;
    return m_dialog.GetDlgItem(id);
}

void DataExchange::Fail(QWidget* control, const std::string& prompt) {
    m_bFailed = true;
    MessageBox(&m_dialog, prompt);
    if (control != nullptr) {
        control->setFocus();
        if (auto* edit = qobject_cast<QLineEdit*>(control))
            edit->selectAll();
    }
}

void DDX_Text(DataExchange& dx, int id, std::string& value) {
    QWidget* control = dx.PrepareCtrl(id);
    if (control == nullptr)
        return;
    if (dx.m_bSaveAndValidate)
        value = ControlText(control);
    else
        SetControlText(control, value);
}

void DDX_Text(DataExchange& dx, int id, double& value) {
    QWidget* control = dx.PrepareCtrl(id);
    if (control == nullptr)
        return;
    if (!dx.m_bSaveAndValidate) {
        char text[64];
        std::snprintf(text, sizeof text, "%.15g", value);
        SetControlText(control, text);
        return;
    }
    double parsed = 0.0;
    if (ParseDouble(ControlText(control), parsed))
        value = parsed;
    else
        dx.Fail(control, kNumberPrompt);
}

void DDX_Text(DataExchange& dx, int id, int& value) {
    QWidget* control = dx.PrepareCtrl(id);
    if (control == nullptr)
        return;
    if (!dx.m_bSaveAndValidate) {
        SetControlText(control, std::to_string(value));
        return;
    }
    int parsed = 0;
    if (ParseInt(ControlText(control), parsed))
        value = parsed;
    else
        dx.Fail(control, "请输入一个整数。");
}

void DDX_Check(DataExchange& dx, int id, int& value) {
    auto* button = qobject_cast<QAbstractButton*>(dx.PrepareCtrl(id));
    if (button == nullptr)
        return;
    if (dx.m_bSaveAndValidate)
        value = button->isChecked() ? 1 : 0;
    else
        button->setChecked(value != 0);
}

void DDX_Radio(DataExchange& dx, int firstId, int& value) {
    QWidget* first = dx.PrepareCtrl(firstId);
    if (first == nullptr)
        return;
    auto* dialog = qobject_cast<Dialog*>(first->window());
    const DialogTemplate& dialogTemplate = DialogTemplate::Load(dialog->TemplateId());
    // The group runs from the first radio button to the next control that starts a group.
    std::vector<QAbstractButton*> group;
    bool inGroup = false;
    for (const ControlTemplate& control : dialogTemplate.controls) {
        if (control.id == firstId) {
            inGroup = true;
        } else if (inGroup && (control.kind != ControlKind::RadioButton || control.Has("group"))) {
            break;
        }
        if (inGroup)
            group.push_back(dialog->Item<QAbstractButton>(control.id));
    }
    if (dx.m_bSaveAndValidate) {
        value = -1;
        for (size_t i = 0; i < group.size(); ++i)
            if (group[i] != nullptr && group[i]->isChecked())
                value = static_cast<int>(i);
    } else {
        for (size_t i = 0; i < group.size(); ++i)
            if (group[i] != nullptr)
                group[i]->setChecked(static_cast<int>(i) == value);
    }
}

void DDX_CBString(DataExchange& dx, int id, std::string& value) {
    auto* combo = qobject_cast<QComboBox*>(dx.PrepareCtrl(id));
    if (combo == nullptr)
        return;
    if (dx.m_bSaveAndValidate) {
        value = combo->currentText().toStdString();
        return;
    }
    const QString text = QString::fromStdString(value);
    for (int i = 0; i < combo->count(); ++i) {
        if (combo->itemText(i).startsWith(text)) {
            combo->setCurrentIndex(i);
            return;
        }
    }
    if (combo->isEditable())
        combo->setEditText(text);
}

void DDX_CBIndex(DataExchange& dx, int id, int& value) {
    auto* combo = qobject_cast<QComboBox*>(dx.PrepareCtrl(id));
    if (combo == nullptr)
        return;
    if (dx.m_bSaveAndValidate)
        value = combo->currentIndex();
    else
        combo->setCurrentIndex(value);
}

void DDX_DateTimeCtrl(DataExchange& dx, int id, COleDateTime& value) {
    auto* picker = qobject_cast<DateTimePicker*>(dx.PrepareCtrl(id));
    if (picker == nullptr)
        return;
    if (dx.m_bSaveAndValidate)
        value = picker->GetTime();
    else
        picker->SetTime(value);
}

} // namespace ui
