#include "records/NormalIncomEditDlg.h"
#include "records/PayEditDlg.h"

#include "data/FormatDateTime.h"
#include "platform/ole/Clock.h"
#include "platform/ui/DateTimePicker.h"
#include "platform/ui/MessageRecorder.h"
#include "platform/ui/ModalScript.h"
#include "tests/support/TestDb.h"

#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <utility>
#include <string>
#include <vector>

namespace {

using Rows = std::vector<std::vector<std::string>>;
using testing_support::TestDb;

struct Twin {
    const char* name;
    std::function<std::unique_ptr<CRecordEditDlg>()> make;
    const char* table;
    const char* categoryTable;
    int amountId;
    int editId;
    int closeId;
    const char* category; // a category of the starter data
};

const Twin kTwins[] = {
    {"Income", [] { return std::make_unique<CNormalIncomEditDlg>(); }, "normalIncome", "收入类型",
     1020, 1016, 1017, "奖金"},
    {"Pay", [] { return std::make_unique<CPayEditDlg>(); }, "normalPay", "支出类型", 1026, 1061, 1,
     "交通"},
};

void PrintTo(const Twin& twin, std::ostream* out) { *out << twin.name; }

class RecordEditDlgTest : public testing::TestWithParam<Twin> {
protected:
    RecordEditDlgTest() {
        ole::SetClock([] { return COleDateTime(2010, 11, 17, 9, 30, 0); });
        // Two records: the second is the one edited, the first must never change.
        for (const char* values : {"(1, '爸爸', 1, '2010-11-01 08:00:00', '%s', '旧')",
                                   "(2, '妈妈', 12.5, '2010-11-13 07:17:07', '%s', '午饭')"}) {
            std::string row = values;
            row.replace(row.find("%s"), 2, GetParam().category);
            m_db.Exec(std::string("insert into ") + GetParam().table + " values " + row);
        }
    }
    ~RecordEditDlgTest() override { ole::ResetClock(); }

    std::unique_ptr<CRecordEditDlg> Open(const std::string& id) {
        auto dialog = GetParam().make();
        dialog->m_strId = id;
        EXPECT_TRUE(dialog->Create());
        dialog->setResult(-1);
        return dialog;
    }
    Rows Records() const {
        return m_db.Query(std::string("select * from ") + GetParam().table + " order by 1");
    }
    std::string Selected(const CRecordEditDlg& dialog, int id) const {
        return dialog.Item<QComboBox>(id)->currentText().toStdString();
    }

    TestDb m_db;
    ui::MessageRecorder m_messages;
};

TEST_P(RecordEditDlgTest, OpensTheRecordWithItsEntriesSelected) {
    auto dialog = Open("2");
    EXPECT_EQ(dialog->GetDlgItemText(GetParam().amountId), "12.5");
    EXPECT_EQ(dialog->GetDlgItemText(1025), "午饭");
    EXPECT_EQ(Selected(*dialog, 1018), "妈妈");
    EXPECT_EQ(Selected(*dialog, 1019), GetParam().category);
    EXPECT_EQ(FormatDateTime(dialog->Item<ui::DateTimePicker>(1021)->GetTime(), "%Y-%m-%d %H:%M:%S"),
              "2010-11-13 07:17:07");
    EXPECT_TRUE(m_messages.Texts().empty());
}

TEST_P(RecordEditDlgTest, MemberThatLeftItsListOpensUnselectedAndIsKept) {
    m_db.Exec("delete from 家庭成员 where 类型 = '妈妈'");
    auto dialog = Open("2");
    EXPECT_EQ(dialog->Item<QComboBox>(1018)->currentIndex(), -1);
    EXPECT_EQ(dialog->Item<QComboBox>(1018)->count(), 2);
    EXPECT_EQ(Selected(*dialog, 1019), GetParam().category);
    dialog->SetDlgItemText(GetParam().amountId, "13");
    dialog->ClickButton(GetParam().editId);
    EXPECT_EQ(dialog->result(), ui::IDOK);
    EXPECT_EQ(dialog->m_strMember, "妈妈");
    EXPECT_EQ(Records()[1][1], "妈妈");
    EXPECT_EQ(Records()[1][2], "13.0");
}

TEST_P(RecordEditDlgTest, AcceptedEditWritesTheRecordAndHandsBackItsValues) {
    auto dialog = GetParam().make();
    dialog->m_strId = "2";
    ui::ModalScript script;
    script.Then([this](ui::Dialog& shown) {
        shown.SetDlgItemText(GetParam().amountId, "0");
        shown.SetDlgItemText(1025, "");
        shown.Item<QComboBox>(1018)->setCurrentIndex(2);
        shown.Item<ui::DateTimePicker>(1021)->setDate(QDate(2010, 12, 1));
        shown.ClickButton(GetParam().editId);
        return ui::IDCANCEL;
    });
    ASSERT_EQ(dialog->DoModal(), ui::IDOK);
    EXPECT_EQ(dialog->m_dAmount, 0.0); // no zero check when editing
    EXPECT_EQ(dialog->m_strMember, "孩子");
    EXPECT_EQ(dialog->m_strItem, GetParam().category);
    EXPECT_EQ(FormatDateTime(dialog->m_dtRecord, "%Y-%m-%d %H:%M:%S"), "2010-12-01 07:17:07");
    const Rows rows = Records();
    EXPECT_EQ(rows[1], (std::vector<std::string>{"2", "孩子", "0.0", "2010-12-01 07:17:07",
                                                 GetParam().category, TestDb::kNull}));
    EXPECT_EQ(rows[0][5], "旧");
    EXPECT_TRUE(m_messages.Texts().empty());
}

// Correcting an amount to the cent: the box takes cents typed key by key, with the point or
// the locale's own decimal mark, as the entry windows do.
TEST_P(RecordEditDlgTest, TheAmountBoxTakesCents) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    for (const auto& [typed, stored] : {std::pair{"13.25", "13.25"}, std::pair{"7,5", "7.5"}}) {
        auto dialog = Open("2");
        auto* amount = dialog->Item<QLineEdit>(GetParam().amountId);
        amount->clear();
        for (const QChar ch : QString::fromUtf8(typed)) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
            QCoreApplication::sendEvent(amount, &press);
        }
        EXPECT_EQ(amount->text().toStdString(), typed);
        dialog->ClickButton(GetParam().editId);
        EXPECT_EQ(Records()[1][2], stored);
    }
    QLocale::setDefault(before);
}

TEST_P(RecordEditDlgTest, CloseWritesNothing) {
    const Rows before = Records();
    auto dialog = Open("2");
    dialog->SetDlgItemText(GetParam().amountId, "99");
    dialog->Item<QComboBox>(1018)->setCurrentIndex(0);
    dialog->ClickButton(GetParam().closeId);
    EXPECT_EQ(dialog->result(), ui::IDCANCEL);
    EXPECT_EQ(Records(), before);
}

TEST_P(RecordEditDlgTest, AmountThatIsNotANumberStopsTheEdit) {
    const Rows before = Records();
    auto dialog = Open("2");
    dialog->SetDlgItemText(GetParam().amountId, "");
    dialog->SetDlgItemText(1025, "改过");
    dialog->ClickButton(GetParam().editId);
    EXPECT_EQ(m_messages.Take(), std::vector<std::string>{"请输入一个数字。"});
    EXPECT_EQ(dialog->result(), -1);
    EXPECT_EQ(Records(), before);
}

TEST_P(RecordEditDlgTest, RecordNumberThatIsNotANumberIsNotFound) {
    const Rows before = Records();
    for (const char* id : {"2 or 1=1", "", "-1", "7"}) {
        auto dialog = Open(id);
        EXPECT_EQ(dialog->GetDlgItemText(GetParam().amountId), "0") << id;
        EXPECT_EQ(dialog->Item<QComboBox>(1018)->currentIndex(), -1) << id;
        EXPECT_EQ(dialog->Item<QComboBox>(1019)->currentIndex(), -1) << id;
        EXPECT_EQ(dialog->Item<QComboBox>(1018)->count(), 3) << id;
        dialog->SetDlgItemText(GetParam().amountId, "5");
        dialog->ClickButton(GetParam().editId);
        EXPECT_EQ(m_messages.Take(), std::vector<std::string>{"出错！"}) << id;
        EXPECT_EQ(dialog->result(), -1) << id;
    }
    EXPECT_EQ(Records(), before);
}

// Enter in the amount box: the income dialog edits (an accepted dialog is a written one);
// the expense dialog's default button is 关闭.
TEST_P(RecordEditDlgTest, EnterEditsOrCloses) {
    const bool edits = std::string(GetParam().name) == "Income";
    auto dialog = Open("2");
    dialog->show();
    QWidget* amount = dialog->GetDlgItem(GetParam().amountId);
    amount->setFocus();
    dialog->SetDlgItemText(GetParam().amountId, "77");
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(amount, &press);
    EXPECT_EQ(dialog->result(), edits ? ui::IDOK : ui::IDCANCEL);
    EXPECT_EQ(Records()[1][2], edits ? "77.0" : "12.5");
}

INSTANTIATE_TEST_SUITE_P(Twins, RecordEditDlgTest, testing::ValuesIn(kTwins),
                         [](const testing::TestParamInfo<Twin>& param) { return param.param.name; });

} // namespace
