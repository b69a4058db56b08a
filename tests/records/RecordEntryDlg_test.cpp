#include "records/NormalIncomeDlg.h"
#include "records/NormalPayDlg.h"

#include "platform/ole/Clock.h"
#include "platform/ui/DateTimePicker.h"
#include "platform/ui/MessageRecorder.h"
#include "tests/support/TestDb.h"

#include <QClipboard>
#include <QComboBox>
#include <QDate>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using Rows = std::vector<std::vector<std::string>>;
using testing_support::TestDb;

// What a test needs to know of each twin, as a user sees it.
struct Twin {
    const char* name;
    std::function<std::unique_ptr<CRecordEntryDlg>()> make;
    int amountId;
    int closeId;
    const char* categoryTable;
    const char* recordQuery; // member, category, amount, date, note of every record
    const char* firstCategory;
    const char* zeroMessage;
    const char* noCategoryMessage;
};

const Twin kTwins[] = {
    {"Income", [] { return std::make_unique<CNormalIncomeDlg>(); }, 1020, 1017, "收入类型",
     "select 收入人员, 收入项目, 收入金额, 收入日期, 备注 from normalIncome order by 编号", "工资",
     "收入金额不能为0！请填入正确的收入金额！", "请先在系统设置中添加收入类型！"},
    {"Pay", [] { return std::make_unique<CNormalPayDlg>(); }, 1026, 1, "支出类型",
     "select 支出人员, 支出项目, 支出金额, 支出日期, 备注 from normalPay order by 编号", "餐饮",
     "支出金额不能为0！请填入正确的支出金额！", "请先在系统设置中添加支出类型！"},
};

void PrintTo(const Twin& twin, std::ostream* out) {
    *out << twin.name;
}

class RecordEntryDlgTest : public testing::TestWithParam<Twin> {
protected:
    RecordEntryDlgTest() {
        ole::SetClock([] { return COleDateTime(2010, 11, 17, 9, 30, 5); });
    }
    ~RecordEntryDlgTest() override { ole::ResetClock(); }

    std::unique_ptr<CRecordEntryDlg> Open() {
        auto dialog = GetParam().make();
        EXPECT_TRUE(dialog->Create());
        dialog->setResult(-1);
        return dialog;
    }
    Rows Records() const { return m_db.Query(GetParam().recordQuery); }

    TestDb m_db;
    ui::MessageRecorder m_messages;
};

std::vector<std::string> Entries(const CRecordEntryDlg& dialog, int id) {
    std::vector<std::string> entries;
    auto* combo = dialog.Item<QComboBox>(id);
    for (int i = 0; i < combo->count(); ++i)
        entries.push_back(combo->itemText(i).toStdString());
    return entries;
}

TEST_P(RecordEntryDlgTest, ListsFollowTableOrderAndPreselectTheFirstEntry) {
    m_db.Exec(std::string("delete from 家庭成员; insert into 家庭成员 (类型) values ('妈妈'), "
                          "('爸爸'); delete from ") +
              GetParam().categoryTable + "; insert into " + GetParam().categoryTable +
              " (类型) values ('乙'), ('甲');");
    auto dialog = Open();
    EXPECT_EQ(Entries(*dialog, 1018), (std::vector<std::string>{"妈妈", "爸爸"}));
    EXPECT_EQ(Entries(*dialog, 1019), (std::vector<std::string>{"乙", "甲"}));
    EXPECT_EQ(dialog->Item<QComboBox>(1018)->currentIndex(), 0);
    EXPECT_EQ(dialog->Item<QComboBox>(1019)->currentIndex(), 0);
    EXPECT_EQ(dialog->GetDlgItemText(GetParam().amountId), "0");
    EXPECT_TRUE(m_messages.Texts().empty());
}

TEST_P(RecordEntryDlgTest, ZeroAmountIsRefused) {
    auto dialog = Open();
    dialog->ClickButton(1016);
    EXPECT_EQ(m_messages.Take(), std::vector<std::string>{GetParam().zeroMessage});
    EXPECT_TRUE(Records().empty());
}

TEST_P(RecordEntryDlgTest, TwoAddsWriteTwoIdenticalRecordsWithNullNote) {
    auto dialog = Open();
    dialog->SetDlgItemText(GetParam().amountId, "1500");
    dialog->ClickButton(1016);
    dialog->ClickButton(1016);
    EXPECT_EQ(m_messages.Take(), (std::vector<std::string>{"数据添加成功！", "数据添加成功！"}));
    const std::vector<std::string> record{"爸爸", GetParam().firstCategory, "1500.0",
                                          "2010-11-17 09:30:05", TestDb::kNull};
    EXPECT_EQ(Records(), (Rows{record, record}));
    // Nothing is cleared: the values stay for the next record.
    EXPECT_EQ(dialog->GetDlgItemText(GetParam().amountId), "1500");
}

TEST_P(RecordEntryDlgTest, StoredDateIsThePickedDayWithThePickerTimeOfDay) {
    auto dialog = Open();
    dialog->Item<ui::DateTimePicker>(1021)->setDate(QDate(2010, 11, 13));
    dialog->Item<QComboBox>(1018)->setCurrentIndex(2);
    dialog->SetDlgItemText(GetParam().amountId, "8");
    dialog->SetDlgItemText(1025, "早饭\n豆浆");
    dialog->ClickButton(1016);
    const Rows rows = Records();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], "孩子");
    EXPECT_EQ(rows[0][3], "2010-11-13 09:30:05");
    EXPECT_EQ(rows[0][4], "早饭\n豆浆");
}

TEST_P(RecordEntryDlgTest, AmountThatIsNotANumberStopsTheAdd) {
    auto dialog = Open();
    dialog->SetDlgItemText(GetParam().amountId, "12");
    dialog->SetDlgItemText(1025, "午饭");
    dialog->ClickButton(1016);
    ASSERT_EQ(m_messages.Take(), std::vector<std::string>{"数据添加成功！"});
    for (const char* text : {"", "12元"}) {
        dialog->SetDlgItemText(GetParam().amountId, text);
        dialog->SetDlgItemText(1025, "晚饭");
        dialog->ClickButton(1016);
        EXPECT_EQ(m_messages.Take(), std::vector<std::string>{"请输入一个数字。"}) << text;
    }
    EXPECT_EQ(Records().size(), 1u);
}

// Types text key by key, as the keyboard delivers it (Chinese characters included).
void Type(QLineEdit* edit, const char* text) {
    for (const QChar ch : QString::fromUtf8(text)) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QCoreApplication::sendEvent(edit, &press);
    }
}

// Amounts take cents: digits with one point and two decimals at most, typed or pasted; any
// other key or pasted text is refused as a whole.
TEST_P(RecordEntryDlgTest, TheAmountBoxTakesCentsTypedOrPasted) {
    auto dialog = Open();
    auto* amount = dialog->Item<QLineEdit>(GetParam().amountId);
    ASSERT_NE(amount, nullptr);
    struct Case {
        const char* input;
        const char* typed;  // what the box holds after typing it key by key
        const char* pasted; // after pasting it into the empty box
    };
    std::vector<Case> cases = {
        {"12.50", "12.50", "12.50"},
        {"3.14", "3.14", "3.14"},
        {"0.05", "0.05", "0.05"},
        {".5", ".5", ".5"},
        {"1500", "1500", "1500"},
        {"12.505", "12.50", ""},
        {"1.2.3", "1.23", ""},
        {"-5", "5", ""},
        {"12元", "12", ""},
        {"1e3", "13", ""},
        {" 7", "7", ""},
        {"abc", "", ""},
        {"１２", "", ""},
        {"12345678901234", "1234567890123", ""},
    };
    // The comma is the locale's decimal mark in a comma run, else no mark at all.
    const bool comma = QLocale().decimalPoint() == QLatin1String(",");
    cases.push_back(comma ? Case{"1,5", "1,5", "1,5"} : Case{"1,5", "15", ""});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        amount->clear();
        Type(amount, c.input);
        EXPECT_EQ(amount->text().toStdString(), c.typed);
        amount->clear();
        QGuiApplication::clipboard()->setText(QString::fromUtf8(c.input));
        amount->paste();
        EXPECT_EQ(amount->text().toStdString(), c.pasted);
    }

    amount->clear();
    Type(amount, "12.50");
    dialog->ClickButton(1016);
    EXPECT_EQ(m_messages.Take(), std::vector<std::string>{"数据添加成功！"});
    const Rows rows = Records();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][2], "12.5");
}

// A "Formats" region with a decimal comma: the box takes the point and the comma alike, and
// both store the same cents.
TEST_P(RecordEntryDlgTest, TheAmountBoxTakesTheLocalesDecimalMarkToo) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    auto dialog = Open();
    auto* amount = dialog->Item<QLineEdit>(GetParam().amountId);
    for (const char* input : {"12,50", "12.50", "0,05", "1500"}) {
        amount->clear();
        Type(amount, input);
        EXPECT_EQ(amount->text().toStdString(), input);
        dialog->ClickButton(1016);
        EXPECT_EQ(m_messages.Take(), std::vector<std::string>{"数据添加成功！"}) << input;
    }
    amount->clear();
    Type(amount, "1,2,3");
    EXPECT_EQ(amount->text().toStdString(), "1,23");
    QLocale::setDefault(before);
    std::vector<std::string> amounts;
    for (const auto& row : Records())
        amounts.push_back(row[2]);
    EXPECT_EQ(amounts, (std::vector<std::string>{"12.5", "12.5", "0.05", "1500.0"}));
}

TEST_P(RecordEntryDlgTest, EmptyListTableRefusesTheAdd) {
    struct Case {
        std::string table;
        std::string message;
    };
    const Case cases[] = {{"家庭成员", "请先在系统设置中添加家庭成员！"},
                          {GetParam().categoryTable, GetParam().noCategoryMessage}};
    for (const Case& emptied : cases) {
        m_db.Exec("delete from 家庭成员; insert into 家庭成员 (类型) values ('爸爸');");
        m_db.Exec("delete from " + emptied.table);
        auto dialog = Open();
        dialog->SetDlgItemText(GetParam().amountId, "20");
        dialog->ClickButton(1016);
        EXPECT_EQ(m_messages.Take(), std::vector<std::string>{emptied.message}) << emptied.table;
        EXPECT_TRUE(Records().empty());
    }
}

TEST_P(RecordEntryDlgTest, EngineErrorIsOneMessageAndTheDialogStaysUsable) {
    const std::string table = GetParam().make()->TemplateId() == 133 ? "normalIncome" : "normalPay";
    auto dialog = Open();
    dialog->SetDlgItemText(GetParam().amountId, "30");
    m_db.Exec("alter table " + table + " rename to gone");
    dialog->ClickButton(1016);
    const std::vector<std::string> shown = m_messages.Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].find(table), std::string::npos) << shown[0];
    EXPECT_EQ(dialog->result(), -1);

    m_db.Exec("alter table gone rename to " + table);
    dialog->ClickButton(1016);
    EXPECT_EQ(m_messages.Take(), std::vector<std::string>{"数据添加成功！"});
    EXPECT_EQ(Records().size(), 1u);
}

TEST_P(RecordEntryDlgTest, CloseTakesTheAcceptPathAndWritesNothing) {
    auto dialog = Open();
    dialog->SetDlgItemText(GetParam().amountId, "");
    dialog->ClickButton(GetParam().closeId);
    EXPECT_EQ(m_messages.Take(), std::vector<std::string>{"请输入一个数字。"});
    EXPECT_EQ(dialog->result(), -1);

    dialog->SetDlgItemText(GetParam().amountId, "40");
    dialog->ClickButton(GetParam().closeId);
    EXPECT_EQ(dialog->result(), ui::IDOK);
    EXPECT_EQ(dialog->m_dAmount, 40.0);
    EXPECT_TRUE(Records().empty());
}

INSTANTIATE_TEST_SUITE_P(Twins, RecordEntryDlgTest, testing::ValuesIn(kTwins),
                         [](const testing::TestParamInfo<Twin>& param) {
                             return param.param.name;
                         });

} // namespace
