#include "platform/ui/DataExchange.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/MessageRecorder.h"
#include "platform/ui/ModalScript.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

constexpr int kTemplate = 9001;

void RegisterTestTemplate() {
    ui::DialogTemplate::Register(ui::DialogTemplate::Parse(R"(
DIALOG 9001 "测试" 200 120 "宋体" 9
LTEXT -1 "金额" 5 5 40 10
EDITTEXT 1020 "" 50 5 80 12 number
EDITTEXT 1025 "" 50 20 80 12
COMBOBOX 1018 "" 50 35 80 60 dropdown
PUSHBUTTON 1016 "添加" 5 100 40 14
PUSHBUTTON 1030 "出错" 50 100 40 14
PUSHBUTTON 1031 "停用" 95 100 40 14 disabled
)"));
}

// A small dialog like the entry dialogs: an amount, a note and a combo.
class TestDialog : public ui::Dialog {
public:
    explicit TestDialog(bool withDefault = false) : ui::Dialog(kTemplate) {
        RegisterTestTemplate();
        OnCommand(1016, [this] { ++m_nAdds; });
        OnCommand(1030, [] { throw std::runtime_error("磁盘已满"); });
        OnCommand(1031, [this] { ++m_nAdds; });
        m_bWithDefault = withDefault;
    }

    double m_dAmount = 5.0;
    std::string m_strNote = "旧";
    std::string m_strMember;
    int m_nAdds = 0;
    int m_nOks = 0;
    bool m_bWithDefault = false;

protected:
    bool OnInitDialog() override {
        ui::Dialog::OnInitDialog();
        if (m_bWithDefault)
            SetDefID(1016);
        return true;
    }
    void DoDataExchange(ui::DataExchange& dx) override {
        ui::DDX_Text(dx, 1020, m_dAmount);
        ui::DDX_Text(dx, 1025, m_strNote);
        ui::DDX_CBString(dx, 1018, m_strMember);
    }
    void OnOK() override {
        ++m_nOks;
        ui::Dialog::OnOK();
    }
};

void PressKey(QWidget* target, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

TEST(DialogTest, ShowsMembersAtInitialisation) {
    TestDialog dialog;
    ASSERT_TRUE(dialog.Create());
    EXPECT_EQ(dialog.GetDlgItemText(1020), "5");
    EXPECT_EQ(dialog.GetDlgItemText(1025), "旧");
    EXPECT_EQ(dialog.windowTitle().toStdString(), "测试");
    EXPECT_EQ(dialog.GetDlgItem(4242), nullptr);
    EXPECT_EQ(dialog.GetDlgItem(1020)->accessibleName().toStdString(), "金额");
}

// A label names the control right after it, not every control further down; a control with
// no label of its own is named after its dialog.
TEST(DialogTest, ALabelNamesOnlyTheControlItPrecedes) {
    TestDialog dialog;
    ASSERT_TRUE(dialog.Create());
    EXPECT_EQ(dialog.GetDlgItem(1020)->accessibleName().toStdString(), "金额");
    EXPECT_EQ(dialog.GetDlgItem(1025)->accessibleName().toStdString(), "测试");
    EXPECT_EQ(dialog.GetDlgItem(1018)->accessibleName().toStdString(), "测试");
}

TEST(DialogTest, BadNumberPromptsAndLeavesMembersUnchanged) {
    ui::MessageRecorder messages;
    TestDialog dialog;
    ASSERT_TRUE(dialog.Create());
    dialog.show();
    for (const char* text : {"", "12abc", "abc", "1.2.3"}) {
        dialog.Item<QLineEdit>(1020)->setText(QString::fromUtf8(text));
        dialog.Item<QLineEdit>(1025)->setText(QStringLiteral("新"));
        EXPECT_FALSE(dialog.UpdateData(true)) << text;
        EXPECT_EQ(dialog.m_dAmount, 5.0) << text;
        // The exchange stopped at the amount: the note after it kept its old value.
        EXPECT_EQ(dialog.m_strNote, "旧") << text;
        EXPECT_EQ(messages.Take(), std::vector<std::string>{"请输入一个数字。"}) << text;
        EXPECT_EQ(dialog.focusWidget(), dialog.GetDlgItem(1020)) << text;
    }
    EXPECT_EQ(messages.Captions().size(), 0u);
}

TEST(DialogTest, NumbersAreReadWholeAndShownShortest) {
    ui::MessageRecorder messages;
    TestDialog dialog;
    ASSERT_TRUE(dialog.Create());
    dialog.Item<QLineEdit>(1020)->setText(QStringLiteral(" 1500.25 "));
    ASSERT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.m_dAmount, 1500.25);
    dialog.m_dAmount = 0.1 + 0.2;
    dialog.UpdateData(false);
    EXPECT_EQ(dialog.GetDlgItemText(1020), "0.3");
    EXPECT_TRUE(messages.Texts().empty());
}

TEST(DialogTest, ComboTextSelectsFirstEntryWithThatBeginning) {
    TestDialog dialog;
    ASSERT_TRUE(dialog.Create());
    auto* combo = dialog.Item<QComboBox>(1018);
    combo->addItems({QStringLiteral("爸爸"), QStringLiteral("妈妈"), QStringLiteral("妈妈的妈妈")});
    dialog.m_strMember = "妈";
    dialog.UpdateData(false);
    EXPECT_EQ(combo->currentIndex(), 1);
    dialog.m_strMember = "舅舅";
    dialog.UpdateData(false);
    EXPECT_EQ(combo->currentText().toStdString(), "舅舅");
}

TEST(DialogTest, EscapedErrorIsShownOnceAndDialogStaysUsable) {
    ui::MessageRecorder messages;
    TestDialog dialog;
    ASSERT_TRUE(dialog.Create());
    EXPECT_TRUE(dialog.ClickButton(1030));
    EXPECT_EQ(messages.Take(), std::vector<std::string>{"磁盘已满"});
    EXPECT_TRUE(dialog.ClickButton(1016));
    EXPECT_EQ(dialog.m_nAdds, 1);
    EXPECT_TRUE(messages.Texts().empty());
}

TEST(DialogTest, DisabledButtonCannotBeClicked) {
    TestDialog dialog;
    ASSERT_TRUE(dialog.Create());
    EXPECT_FALSE(dialog.ClickButton(1031));
    EXPECT_EQ(dialog.m_nAdds, 0);
}

TEST(DialogTest, EnterPressesDefaultButtonElseSendsOk) {
    {
        TestDialog dialog(true);
        ASSERT_TRUE(dialog.Create());
        dialog.show();
        dialog.GetDlgItem(1025)->setFocus();
        PressKey(&dialog, Qt::Key_Return);
        EXPECT_EQ(dialog.m_nAdds, 1);
        EXPECT_EQ(dialog.m_nOks, 0);
    }
    {
        TestDialog dialog(false);
        ASSERT_TRUE(dialog.Create());
        dialog.show();
        dialog.setResult(-1);
        PressKey(&dialog, Qt::Key_Return);
        EXPECT_EQ(dialog.m_nAdds, 0);
        EXPECT_EQ(dialog.m_nOks, 1);
        EXPECT_EQ(dialog.result(), ui::IDOK);
    }
}

// Enter sends IDOK when the template names no default button, so no button may look like
// the default when the dialog comes up; a named default button does.
TEST(DialogTest, OnlyTheTemplatesDefaultButtonLooksDefault) {
    for (bool withDefault : {false, true}) {
        SCOPED_TRACE(withDefault);
        TestDialog dialog(withDefault);
        ASSERT_TRUE(dialog.Create());
        dialog.show();
        for (int id : {1016, 1030, 1031})
            EXPECT_EQ(dialog.Item<QPushButton>(id)->isDefault(), withDefault && id == 1016) << id;
        EXPECT_TRUE(dialog.Item<QPushButton>(1016)->autoDefault());
    }
}

TEST(DialogTest, EscAndCloseEndAsCancelled) {
    TestDialog dialog;
    ASSERT_TRUE(dialog.Create());
    dialog.show();
    dialog.setResult(-1);
    PressKey(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), ui::IDCANCEL);
    EXPECT_EQ(dialog.m_nOks, 0);

    TestDialog closed;
    ASSERT_TRUE(closed.Create());
    closed.show();
    closed.setResult(-1);
    closed.close();
    EXPECT_EQ(closed.result(), ui::IDCANCEL);
}

TEST(DialogTest, ModalScriptDrivesTheInitialisedDialog) {
    ui::ModalScript script;
    script.Then([](ui::Dialog& dialog) {
        EXPECT_EQ(dialog.GetDlgItemText(1020), "5");
        dialog.ClickButton(1016);
        return 7;
    });
    script.Then([](ui::Dialog& dialog) {
        dialog.SendCommand(ui::IDOK);
        return 7;
    });
    TestDialog first;
    EXPECT_EQ(first.DoModal(), 7); // not ended by a handler: the script's result
    EXPECT_EQ(first.m_nAdds, 1);
    TestDialog second;
    EXPECT_EQ(second.DoModal(), ui::IDOK); // ended by OnOK
    TestDialog third;
    EXPECT_EQ(third.DoModal(), ui::IDCANCEL); // no script left
    EXPECT_EQ(script.Runs(), (std::vector<int>{kTemplate, kTemplate, kTemplate}));
}

// A dialog that puts its own edit in the place of the note box, made before the others.
class OwnControlDialog : public TestDialog {
public:
    OwnControlDialog() { UseControl(1025, new QLineEdit(this)); }
};

TEST(DialogTest, TabOrderIsTheTemplatesAlsoForOwnControls) {
    OwnControlDialog dialog;
    ASSERT_TRUE(dialog.Create());
    std::vector<QWidget*> chain;
    QWidget* widget = dialog.GetDlgItem(1020);
    for (int i = 0; i < 3; ++i) {
        chain.push_back(widget);
        do
            widget = widget->nextInFocusChain();
        while (widget->focusPolicy() == Qt::NoFocus || widget->focusProxy() != nullptr ||
               widget->parentWidget() != &dialog);
    }
    EXPECT_EQ(chain, (std::vector<QWidget*>{dialog.GetDlgItem(1020), dialog.GetDlgItem(1025),
                                             dialog.GetDlgItem(1018)}));
}

TEST(DialogTest, MissingTemplateIsReportedNotFatal) {
    ui::MessageRecorder messages;
    ui::Dialog dialog(424242);
    EXPECT_EQ(dialog.DoModal(), -1);
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_NE(messages.Texts()[0].find("424242"), std::string::npos);
}

} // namespace

namespace {

// Two groups of radio buttons, as a window with a period and a grouping has: choosing in
// one leaves the other's choice, and the exchange reads each group's own index.
class RadioDialog : public ui::Dialog {
public:
    RadioDialog() : ui::Dialog(9002) {
        ui::DialogTemplate::Register(ui::DialogTemplate::Parse(R"(
DIALOG 9002 "单选" 200 80 "宋体" 9
RADIOBUTTON 1101 "本月" 5 5 40 10 group
RADIOBUTTON 1102 "今年" 50 5 40 10
RADIOBUTTON 1103 "全部" 95 5 40 10
RADIOBUTTON 1111 "按月份" 5 20 40 10 group
RADIOBUTTON 1112 "按类别" 50 20 40 10
CHECKBOX 1052 "家庭成员" 5 35 60 10
RADIOBUTTON 1121 "甲" 5 50 40 10
RADIOBUTTON 1122 "乙" 50 50 40 10
)"));
    }
    int m_nPeriod = 1;
    int m_nGrouping = 0;
    int m_nOther = 1;

protected:
    void DoDataExchange(ui::DataExchange& dx) override {
        ui::DDX_Radio(dx, 1101, m_nPeriod);
        ui::DDX_Radio(dx, 1111, m_nGrouping);
        ui::DDX_Radio(dx, 1121, m_nOther);
    }
};

TEST(DialogTest, RadioButtonsAreExclusiveWithinTheirGroupOnly) {
    RadioDialog dlg;
    ASSERT_TRUE(dlg.Create());
    const auto checked = [&dlg](int id) { return dlg.Item<QAbstractButton>(id)->isChecked(); };
    EXPECT_TRUE(checked(1102));
    EXPECT_TRUE(checked(1111));
    EXPECT_TRUE(checked(1122));
    dlg.Item<QAbstractButton>(1112)->click();
    dlg.Item<QAbstractButton>(1121)->click();
    EXPECT_TRUE(checked(1102));
    EXPECT_FALSE(checked(1111));
    dlg.Item<QAbstractButton>(1103)->click();
    EXPECT_FALSE(checked(1102));
    EXPECT_TRUE(checked(1112));
    ASSERT_TRUE(dlg.UpdateData(true));
    EXPECT_EQ(dlg.m_nPeriod, 2);
    EXPECT_EQ(dlg.m_nGrouping, 1);
    EXPECT_EQ(dlg.m_nOther, 0);
}

} // namespace
