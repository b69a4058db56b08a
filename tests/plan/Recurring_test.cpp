#include "plan/PendingDlg.h"
#include "plan/PlanDate.h"
#include "plan/RecurringBook.h"
#include "plan/RecurringDlg.h"
#include "plan/RecurringWatch.h"

#include "controls/ReportCtrl.h"
#include "data/ADODatabase.h"
#include "data/ADORecordset.h"
#include "data/InTransaction.h"
#include "platform/ole/Clock.h"
#include "platform/ui/DateTimePicker.h"
#include "platform/ui/MessageRecorder.h"
#include "platform/ui/ModalScript.h"
#include "tests/controls/HeadingClick.h"
#include "tests/support/TestDb.h"

#include <QAbstractButton>
#include <QComboBox>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using testing_support::TestDb;
using Rows = std::vector<std::vector<std::string>>;
using Days = std::vector<std::string>;

CPlanDate Day(const char* text) {
    CPlanDate day;
    EXPECT_TRUE(CPlanDate::Parse(text, day)) << text;
    return day;
}

RecurringTemplate Rule(RecurrenceKind kind, int nDay, const char* first,
                       const char* last = nullptr) {
    RecurringTemplate tmpl;
    tmpl.kind = kind;
    tmpl.nDay = nDay;
    tmpl.first = Day(first);
    if (last != nullptr)
        tmpl.last = Day(last);
    return tmpl;
}

TEST(PlanDateTest, SerialsWeekdaysAndTexts) {
    EXPECT_EQ(Day("1970-01-01").Serial(), 0);
    EXPECT_EQ(Day("2000-03-01").Serial() - Day("2000-02-28").Serial(), 2); // 2000 is leap
    EXPECT_EQ(Day("1900-03-01").Serial() - Day("1900-02-28").Serial(), 1); // 1900 is not
    EXPECT_EQ(Day("2010-11-17").Weekday(), 3);                             // a Wednesday
    EXPECT_EQ(Day("2012-01-01").Weekday(), 7);
    EXPECT_EQ(CPlanDate::FromSerial(Day("2024-02-29").Serial()).Text(), "2024-02-29");
    CPlanDate day;
    for (const char* bad :
         {"2011-02-29", "2010-13-01", "2010-1-01", "2010/01/01", "", "2010-00-10"})
        EXPECT_FALSE(CPlanDate::Parse(bad, day)) << bad;
}

struct RuleCase {
    const char* name;
    RecurringTemplate tmpl;
    const char* upTo;
    Days expected;
};

TEST(RecurrenceTest, RulesOverMonthEndsLeapYearsAndYearEnds) {
    const RuleCase cases[] = {
        {"day 31 is each month's last day",
         Rule(RecurrenceKind::Monthly, 31, "2012-01-01"),
         "2012-05-15",
         {"2012-01-31", "2012-02-29", "2012-03-31", "2012-04-30"}},
        {"day 30 in a common February",
         Rule(RecurrenceKind::Monthly, 30, "2011-01-30"),
         "2011-03-30",
         {"2011-01-30", "2011-02-28", "2011-03-30"}},
        {"first date after the month's day",
         Rule(RecurrenceKind::Monthly, 15, "2010-11-16"),
         "2011-01-15",
         {"2010-12-15", "2011-01-15"}},
        {"last date ends it",
         Rule(RecurrenceKind::Monthly, 1, "2010-01-01", "2010-03-01"),
         "2011-01-01",
         {"2010-01-01", "2010-02-01", "2010-03-01"}},
        {"weekly across a year end",
         Rule(RecurrenceKind::Weekly, 1, "2010-12-20"),
         "2011-01-10",
         {"2010-12-20", "2010-12-27", "2011-01-03", "2011-01-10"}},
        {"weekly from a later weekday",
         Rule(RecurrenceKind::Weekly, 7, "2010-12-31"),
         "2011-01-09",
         {"2011-01-02", "2011-01-09"}},
        {"yearly on 29 February",
         Rule(RecurrenceKind::Yearly, 0, "2012-02-29"),
         "2016-03-01",
         {"2012-02-29", "2013-02-28", "2014-02-28", "2015-02-28", "2016-02-29"}},
        {"nothing before the first date",
         Rule(RecurrenceKind::Monthly, 5, "2011-01-01"),
         "2010-12-31",
         {}},
        {"last date before up-to",
         Rule(RecurrenceKind::Weekly, 3, "2010-11-01", "2010-11-10"),
         "2010-12-31",
         {"2010-11-03", "2010-11-10"}},
    };
    for (const RuleCase& c : cases) {
        Days days;
        for (const CPlanDate& day : c.tmpl.Occurrences(Day(c.upTo)))
            days.push_back(day.Text());
        EXPECT_EQ(days, c.expected) << c.name;
    }
    EXPECT_EQ(Rule(RecurrenceKind::Monthly, 31, "2012-01-01").RuleText(), "每月月末");
    EXPECT_EQ(Rule(RecurrenceKind::Weekly, 7, "2012-01-01").RuleText(), "每周日");
    EXPECT_EQ(Rule(RecurrenceKind::Yearly, 0, "2012-03-08").RuleText(), "每年3月8日");
}

class RecurringTest : public ::testing::Test {
protected:
    RecurringTest() {
        ole::SetClock([this] { return m_now; });
        m_db.SetConnectionString(TestDb::kConnectionString);
        EXPECT_TRUE(m_db.Open());
    }
    ~RecurringTest() override { ole::ResetClock(); }

    RecurringTemplate Add(RecurringTemplate tmpl, bool bAutomatic = true, bool bIncome = false,
                          const char* item = "住房", std::int64_t nCents = 300000) {
        tmpl.bAutomatic = bAutomatic;
        tmpl.bIncome = bIncome;
        tmpl.strMember = "爸爸";
        tmpl.strItem = item;
        tmpl.nCents = nCents;
        tmpl.strNote = "周期";
        std::string error;
        try {
            EXPECT_TRUE(CRecurringBook(m_db).Save(tmpl, error)) << error;
        } catch (const CADOException& e) {
            ADD_FAILURE() << e.GetErrorMessage();
        }
        EXPECT_NE(tmpl.nId, 0);
        return tmpl;
    }
    Rows Pays() const {
        return db.Query("select 支出人员, 支出项目, 支出金额, 支出日期, 备注 from normalPay "
                        "order by 支出日期, 编号");
    }
    int Count(const std::string& table) const {
        return std::stoi(db.Scalar("select count(*) from " + table));
    }
    /// Whether any occurrence is written twice, by record or by made row.
    bool AnyTwice() const {
        return db.Scalar("select count(*) from (select 支出日期, 支出项目 from normalPay group by "
                         "支出日期, 支出项目 having count(*) > 1) as twice") != "0" ||
               Count("planOccurrence") != Count("normalPay") + Count("normalIncome");
    }

    TestDb db;
    CADODatabase m_db;
    COleDateTime m_now{2010, 11, 17, 9, 30, 0};
    ui::MessageRecorder messages;
};

TEST_F(RecurringTest, MissedMonthsAreMadeOnceEachAndNeverAgain) {
    Add(Rule(RecurrenceKind::Monthly, 31, "2010-08-01"));
    EXPECT_EQ(CRecurringWatch::RunDue(nullptr, m_now), 3); // August to October; November's is ahead
    EXPECT_EQ(messages.Take(), std::vector<std::string>{"已自动入账 3 笔周期记录！"});
    EXPECT_EQ(Pays(), (Rows{{"爸爸", "住房", "3000.0", "2010-08-31 12:00:00", "周期"},
                            {"爸爸", "住房", "3000.0", "2010-09-30 12:00:00", "周期"},
                            {"爸爸", "住房", "3000.0", "2010-10-31 12:00:00", "周期"}}));
    // The next logins find nothing new, until the month's last day comes.
    EXPECT_EQ(CRecurringWatch::RunDue(nullptr, m_now), 0);
    m_now = COleDateTime(2010, 11, 30, 0, 0, 1);
    EXPECT_EQ(CRecurringWatch::RunDue(nullptr, m_now), 1);
    EXPECT_EQ(CRecurringWatch::RunDue(nullptr, m_now), 0);
    EXPECT_EQ(Count("normalPay"), 4);
    EXPECT_FALSE(AnyTwice());
    messages.Take();
}

TEST_F(RecurringTest, MakeWritesRecordAndMarkTogetherAndOnlyOnce) {
    const RecurringTemplate tmpl =
        Add(Rule(RecurrenceKind::Weekly, 1, "2010-11-01"), true, true, "工资", 12345);
    CRecurringBook book(m_db);
    const std::vector<DueOccurrence> due = book.Due(CPlanDate::FromDateTime(m_now));
    ASSERT_EQ(due.size(), 3u); // 1, 8 and 15 November
    EXPECT_TRUE(book.Make(due[1]));
    EXPECT_FALSE(book.Make(due[1]));
    EXPECT_EQ(db.Query("select 收入项目, 收入金额, 收入日期 from normalIncome"),
              (Rows{{"工资", "123.45", "2010-11-08 12:00:00"}}));
    EXPECT_EQ(book.Due(CPlanDate::FromDateTime(m_now)).size(), 2u);
    // A removed template takes its marks along, so a new one with its key starts afresh.
    book.Remove(tmpl.nId);
    EXPECT_EQ(Count("planOccurrence"), 0);
    EXPECT_EQ(Count("normalIncome"), 1); // its records stay
}

// Runs `work` in a child process with its own connection; returns how it ended.
template <class Work> int InChild(Work work) {
    const pid_t pid = fork();
    if (pid == 0) {
        CADODatabase ledger;
        ledger.SetConnectionString(TestDb::kConnectionString);
        int code = 0;
        try {
            if (!ledger.Open())
                _exit(3);
            work(ledger);
        } catch (...) {
            code = 4;
        }
        _exit(code);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

TEST_F(RecurringTest, KilledBetweenAndDuringOccurrencesLeavesEachMadeOnce) {
    Add(Rule(RecurrenceKind::Monthly, 1, "2010-01-01"));
    // Killed after the first occurrence: that one stays made.
    int status = InChild([](CADODatabase& ledger) {
        CRecurringBook book(ledger);
        book.Make(book.Due(Day("2010-11-17")).front());
        std::raise(SIGKILL);
    });
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(Count("normalPay"), 1);
    // Killed inside the transaction, with the record written but not its mark: neither stays.
    status = InChild([](CADODatabase& ledger) {
        InTransaction(ledger, [&ledger] {
            CADORecordset rs(&ledger);
            rs.Open("insert into normalPay (支出项目, 支出金额) values ('住房', 1)",
                    CADORecordset::ModeUnknown);
            std::raise(SIGKILL);
        });
    });
    ASSERT_TRUE(WIFSIGNALED(status));
    m_db.Open();
    EXPECT_EQ(Count("normalPay"), 1);
    EXPECT_EQ(CRecurringWatch::RunDue(nullptr, m_now), 10);
    EXPECT_EQ(Count("normalPay"), 11);
    EXPECT_FALSE(AnyTwice());
    messages.Take();
}

TEST_F(RecurringTest, TwoCopiesAtOnceMakeEachOccurrenceOnce) {
    Add(Rule(RecurrenceKind::Weekly, 2, "2009-01-01"));
    Add(Rule(RecurrenceKind::Monthly, 31, "2009-01-01"), true, false, "医疗", 999);
    const size_t nDue = CRecurringBook(m_db).Due(CPlanDate::FromDateTime(m_now)).size();
    std::vector<pid_t> children;
    for (int n = 0; n < 2; ++n) {
        const pid_t pid = fork();
        if (pid == 0) {
            int code = 0;
            try {
                CADODatabase ledger;
                ledger.SetConnectionString(TestDb::kConnectionString);
                ledger.Open();
                CRecurringBook book(ledger);
                for (const DueOccurrence& due : book.Due(Day("2010-11-17")))
                    book.Make(due);
            } catch (...) {
                code = 4; // a busy ledger: the other copy carries on
            }
            _exit(code);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        // A server makes the second copy wait for the first one's transaction, then it sees
        // the occurrences made there: neither copy fails.
        if (TestDb::OnServer()) {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        }
    }
    // Whatever a busy copy left undone, a later run makes; nothing is made twice.
    CRecurringBook book(m_db);
    for (const DueOccurrence& due : book.Due(CPlanDate::FromDateTime(m_now)))
        book.Make(due);
    EXPECT_EQ(static_cast<size_t>(Count("normalPay")), nDue);
    EXPECT_FALSE(AnyTwice());
}

TEST_F(RecurringTest, PendingWindowWritesTheCheckedAndKeepsTheRestForLater) {
    Add(Rule(RecurrenceKind::Monthly, 10, "2010-10-01"), false, false, "教育", 50000);
    Add(Rule(RecurrenceKind::Monthly, 5, "2010-11-01"));
    ui::ModalScript modal;
    // 以后再说: nothing of the waiting ones is written; the automatic one is.
    modal.Then([](ui::Dialog& dlg) {
        auto* list = dlg.Item<CReportCtrl>(CPendingDlg::IDC_PENDING);
        EXPECT_EQ(dlg.windowTitle().toStdString(), "待入账");
        EXPECT_EQ(list->GetItemCount(), 2);
        EXPECT_EQ(list->GetItemText(0, 0), "2010-10-10");
        EXPECT_EQ(list->GetItemText(0, 3), "500.00");
        EXPECT_TRUE(list->GetCheck(0) && list->GetCheck(1));
        dlg.ClickButton(ui::IDCANCEL);
        return ui::IDCANCEL;
    });
    EXPECT_EQ(CRecurringWatch::RunDue(nullptr, m_now), 1);
    EXPECT_EQ(messages.Take(), std::vector<std::string>{"已自动入账 1 笔周期记录！"});
    EXPECT_EQ(Count("normalPay"), 1);
    // Next login: the two are offered again; October's is unchecked, November's written.
    modal.Then([](ui::Dialog& dlg) {
        auto* list = dlg.Item<CReportCtrl>(CPendingDlg::IDC_PENDING);
        EXPECT_EQ(list->GetItemCount(), 2);
        list->SetCheck(0, false);
        dlg.ClickButton(CPendingDlg::IDC_POST);
        return ui::IDOK;
    });
    EXPECT_EQ(CRecurringWatch::RunDue(nullptr, m_now), 1);
    EXPECT_EQ(db.Query("select 支出项目, 支出日期 from normalPay where 支出项目 = '教育'"),
              (Rows{{"教育", "2010-11-10 12:00:00"}}));
    // And the next time only October's is left.
    modal.Then([](ui::Dialog& dlg) {
        auto* list = dlg.Item<CReportCtrl>(CPendingDlg::IDC_PENDING);
        EXPECT_EQ(list->GetItemCount(), 1);
        EXPECT_EQ(list->GetItemText(0, 0), "2010-10-10");
        dlg.ClickButton(CPendingDlg::IDC_POST);
        return ui::IDOK;
    });
    EXPECT_EQ(CRecurringWatch::RunDue(nullptr, m_now), 1);
    EXPECT_EQ(CRecurringWatch::RunDue(nullptr, m_now), 0); // nothing to offer: no window
    EXPECT_EQ(modal.Runs(), (std::vector<int>{145, 145, 145}));
    EXPECT_FALSE(AnyTwice());
}

TEST_F(RecurringTest, TimerWaitsForTheNextMidnight) {
    EXPECT_EQ(CRecurringWatch::MsecsToNextDay(COleDateTime(2010, 11, 17, 23, 59, 59)), 2000);
    EXPECT_EQ(CRecurringWatch::MsecsToNextDay(COleDateTime(2010, 11, 17, 0, 0, 0)), 86401000);
    QWidget owner;
    auto* watch = new CRecurringWatch(&owner);
    Add(Rule(RecurrenceKind::Monthly, 18, "2010-11-01"));
    m_now = COleDateTime(2010, 11, 17, 23, 0, 0);
    watch->Start();
    EXPECT_EQ(Count("normalPay"), 0);
    EXPECT_TRUE(watch->Timer().isActive());
    EXPECT_EQ(watch->Timer().interval(), 3601000);
    messages.Take();
}

TEST_F(RecurringTest, TemplatesWindowAddsChangesAndDeletes) {
    CRecurringDlg dlg;
    ASSERT_TRUE(dlg.Create());
    const auto click = [&dlg](int id) {
        dlg.Item<QAbstractButton>(id)->setChecked(true);
        dlg.ClickButton(id);
    };
    click(CRecurringDlg::IDC_INCOME);
    dlg.Item<QComboBox>(CRecurringDlg::IDC_ITEM)->setCurrentIndex(0); // 工资
    dlg.SetDlgItemText(CRecurringDlg::IDC_AMOUNT, "8000.5");
    dlg.Item<QComboBox>(CRecurringDlg::IDC_DAY)->setCurrentIndex(30); // 月末
    dlg.Item<ui::DateTimePicker>(CRecurringDlg::IDC_FIRST)->setDate(QDate(2010, 1, 1));
    dlg.Item<QAbstractButton>(CRecurringDlg::IDC_AUTOMATIC)->setChecked(false);
    dlg.ClickButton(CRecurringDlg::IDC_ADD);
    EXPECT_EQ(
        db.Query("select 收支, 项目, 金额, 规则, 规则日, 首日, 末日, 自动 from planRecurring"),
        (Rows{{"1", "工资", "800050", "0", "31", "2010-01-01", TestDb::kNull, "0"}}));
    auto* list = dlg.Item<CReportCtrl>(CRecurringDlg::IDC_TEMPLATES);
    ASSERT_EQ(list->GetItemCount(), 1);
    EXPECT_EQ(list->GetItemText(0, 0), "每月月末");
    EXPECT_EQ(list->GetItemText(0, 7), "待确认");

    // A bad amount and a last date before the first are refused.
    dlg.SetDlgItemText(CRecurringDlg::IDC_AMOUNT, "0");
    dlg.ClickButton(CRecurringDlg::IDC_ADD);
    dlg.SetDlgItemText(CRecurringDlg::IDC_AMOUNT, "10");
    dlg.Item<QAbstractButton>(CRecurringDlg::IDC_LAST_CHECK)->setChecked(true);
    dlg.Item<ui::DateTimePicker>(CRecurringDlg::IDC_LAST)->setDate(QDate(2009, 1, 1));
    dlg.ClickButton(CRecurringDlg::IDC_ADD);
    EXPECT_EQ(messages.Take().size(), 2u);
    EXPECT_EQ(Count("planRecurring"), 1);

    // Change the chosen one to weekly on Friday, ending in 2011.
    list->SetSelected(0, true);
    dlg.SendNotify(CRecurringDlg::IDC_TEMPLATES, ui::Notification::Click, 0, {});
    EXPECT_EQ(dlg.GetDlgItemText(CRecurringDlg::IDC_AMOUNT), "8000.50");
    click(CRecurringDlg::IDC_WEEKLY);
    dlg.Item<QComboBox>(CRecurringDlg::IDC_DAY)->setCurrentIndex(4);
    dlg.Item<QAbstractButton>(CRecurringDlg::IDC_LAST_CHECK)->setChecked(true);
    dlg.Item<ui::DateTimePicker>(CRecurringDlg::IDC_LAST)->setDate(QDate(2011, 6, 30));
    dlg.ClickButton(CRecurringDlg::IDC_CHANGE);
    EXPECT_EQ(db.Query("select 规则, 规则日, 末日 from planRecurring"),
              (Rows{{"1", "5", "2011-06-30"}}));
    EXPECT_EQ(list->GetItemText(0, 0), "每周五");
    list->SetSelected(0, true);
    dlg.ClickButton(CRecurringDlg::IDC_DELETE);
    EXPECT_EQ(Count("planRecurring"), 0);
    EXPECT_TRUE(messages.Take().empty());
}

// A rent made on the 1st since January, changed on 17 November: the change applies from
// that day on, the records made stay, and no day before it is made under the new rule.
TEST_F(RecurringTest, AChangedRuleAppliesFromTheDayOfTheChange) {
    const struct {
        const char* name;
        RecurrenceKind kind;
        int nDay;
        const char* first;
        Days madeByNewYear; // made after the change, up to 31 December
    } cases[] = {
        {"to the 15th", RecurrenceKind::Monthly, 15, "2010-01-01", {"2010-12-15"}},
        {"to weekly on Mondays",
         RecurrenceKind::Weekly,
         1,
         "2010-01-01",
         {"2010-11-22", "2010-11-29", "2010-12-06", "2010-12-13", "2010-12-20", "2010-12-27"}},
        {"first date back a year", RecurrenceKind::Monthly, 1, "2009-01-01", {"2010-12-01"}},
        {"to yearly", RecurrenceKind::Yearly, 1, "2010-03-18", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        db.Exec("delete from normalPay");
        m_now = COleDateTime(2010, 11, 17, 9, 30, 0);
        RecurringTemplate rent = Add(Rule(RecurrenceKind::Monthly, 1, "2010-01-01"));
        EXPECT_EQ(CRecurringWatch::RunDue(nullptr, m_now), 11);
        const Rows before = Pays();

        rent.kind = c.kind;
        rent.nDay = c.nDay;
        rent.first = Day(c.first);
        std::string error;
        ASSERT_TRUE(CRecurringBook(m_db).Save(rent, error)) << error;
        EXPECT_EQ(CRecurringWatch::RunDue(nullptr, m_now), 0);
        EXPECT_EQ(Pays(), before);

        m_now = COleDateTime(2010, 12, 31, 9, 30, 0);
        CRecurringWatch::RunDue(nullptr, m_now);
        Days made;
        for (const auto& row : Pays())
            made.push_back(row[3].substr(0, 10));
        made.erase(made.begin(), made.begin() + static_cast<long>(before.size()));
        EXPECT_EQ(made, c.madeByNewYear);
        CRecurringBook(m_db).Remove(rent.nId);
        messages.Take();
    }
}

// Changing what a template writes, not when, leaves its days as they were.
TEST_F(RecurringTest, AChangedAmountKeepsTheDaysStillDue) {
    RecurringTemplate rent = Add(Rule(RecurrenceKind::Monthly, 1, "2010-09-01"), false);
    rent.nCents = 350000;
    std::string error;
    ASSERT_TRUE(CRecurringBook(m_db).Save(rent, error)) << error;
    EXPECT_EQ(CRecurringBook(m_db).Due(CPlanDate::FromDateTime(m_now)).size(), 3u);
}

// Two templates alike but for their member: 删除 and 更改 act on the chosen one, also after
// a sort has moved the rows.
TEST_F(RecurringTest, TheWindowActsOnTheChosenTemplateByItsKey) {
    RecurringTemplate dad = Add(Rule(RecurrenceKind::Monthly, 5, "2011-01-01"));
    RecurringTemplate mum = dad;
    mum.nId = 0;
    mum.strMember = "妈妈";
    std::string error;
    ASSERT_TRUE(CRecurringBook(m_db).Save(mum, error)) << error;

    CRecurringDlg dlg;
    ASSERT_TRUE(dlg.Create());
    auto* list = dlg.Item<CReportCtrl>(CRecurringDlg::IDC_TEMPLATES);
    const auto choose = [&](const char* member) {
        ClickHeading(*list, 4); // 家庭成员: the rows move
        for (int n = 0; n < list->GetItemCount(); ++n)
            list->SetSelected(n, list->GetItemText(n, 4) == member);
        dlg.SendNotify(CRecurringDlg::IDC_TEMPLATES, ui::Notification::Click, 0, {});
    };
    choose("妈妈");
    EXPECT_EQ(dlg.Item<QComboBox>(CRecurringDlg::IDC_MEMBER)->currentText(), "妈妈");
    dlg.SetDlgItemText(CRecurringDlg::IDC_AMOUNT, "2500");
    dlg.ClickButton(CRecurringDlg::IDC_CHANGE);
    EXPECT_EQ(db.Query("select 人员, 金额 from planRecurring order by ID"),
              (Rows{{"爸爸", "300000"}, {"妈妈", "250000"}}));

    choose("妈妈");
    dlg.ClickButton(CRecurringDlg::IDC_DELETE);
    EXPECT_EQ(db.Query("select ID, 人员 from planRecurring"),
              (Rows{{std::to_string(dad.nId), "爸爸"}}));
    EXPECT_TRUE(messages.Take().empty());
}

} // namespace
