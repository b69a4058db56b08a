#pragma once

#include "platform/ole/OleDateTime.h"

#include <string>

class QWidget;

namespace ui {

/// What the exchange says when a box bound to a number does not hold one.
inline constexpr const char* kNumberPrompt = "请输入一个数字。";

class Dialog;

/// One pass of data exchange between a dialog's members and its controls. A failed
/// conversion stops the pass: the exchanges after it leave their members alone.
class DataExchange {
public:
    DataExchange(Dialog& dialog, bool saveAndValidate);

    const bool m_bSaveAndValidate;

    bool Failed() const { return m_bFailed; }
    /// The control with this id, or null when the pass has failed or there is none.
    QWidget* PrepareCtrl(int id);
    /// Shows the prompt, puts the focus on the control and stops the pass.
    void Fail(QWidget* control, const std::string& prompt);

private:
    Dialog& m_dialog;
    bool m_bFailed = false;
};

/// Edits and labels: text.
void DDX_Text(DataExchange& dx, int id, std::string& value);
/// Edits: a decimal number ("请输入一个数字。" when the text is not one); shown with up to
/// 15 significant digits.
void DDX_Text(DataExchange& dx, int id, double& value);
/// Edits: a whole number ("请输入一个整数。" when the text is not one).
void DDX_Text(DataExchange& dx, int id, int& value);
/// Check boxes and radio buttons: 0 clear, 1 set.
void DDX_Check(DataExchange& dx, int id, int& value);
/// A group of radio buttons starting at firstId: the index of the checked one, or −1.
void DDX_Radio(DataExchange& dx, int firstId, int& value);
/// Combo boxes: the text shown in the edit field. Writing selects the first entry that
/// begins with the text, or puts the text into the edit field when none does.
void DDX_CBString(DataExchange& dx, int id, std::string& value);
/// Combo boxes: the selected index, −1 for none.
void DDX_CBIndex(DataExchange& dx, int id, int& value);
/// Date pickers: the full value, the picker's day with its time of day.
void DDX_DateTimeCtrl(DataExchange& dx, int id, COleDateTime& value);

} // namespace ui
