#include "records/NormalIncomEditDlg.h"
#include "records/PayEditDlg.h"

#include "platform/ole/Clock.h"
#include "platform/ui/DateTimePicker.h"
#include "platform/ui/MessageRecorder.h"
#include "tests/support/TestDb.h"

#include <QDate>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace {

using testing_support::TestDb;

struct Twin {
    std::function<std::unique_ptr<CRecordEditDlg>()> make;
    const char* table;
    const char* dateColumn;
    const char* amountColumn;
    int amountId;
    int editId;
};

const Twin kTwins[] = {
    {[] { return std::make_unique<CNormalIncomEditDlg>(); }, "normalIncome", "收入日期", "收入金额",
     1020, 1016},
    {[] { return std::make_unique<CPayEditDlg>(); }, "normalPay", "支出日期", "支出金额", 1026,
     1061},
};

class RecordOddValuesTest : public testing::Test {
protected:
    RecordOddValuesTest() {
        ole::SetClock([] { return COleDateTime(2010, 11, 17, 9, 30, 0); });
    }
    ~RecordOddValuesTest() override { ole::ResetClock(); }

    // Record 2 of the twin's table, holding this date and note text as stored.
    void Store(const Twin& twin, const std::string& date, const std::string& note) {
        m_db.Exec(std::string("delete from ") + twin.table + "; insert into " + twin.table +
                  " values (2, '妈妈', 12.5, '" + date + "', '奖金', '" + note + "')");
    }
    std::string Stored(const Twin& twin, const std::string& column) const {
        return m_db.Scalar("select " + column + " from " + twin.table);
    }
    std::unique_ptr<CRecordEditDlg> Open(const Twin& twin) {
        auto dialog = twin.make();
        dialog->m_strId = "2";
        EXPECT_TRUE(dialog->Create());
        dialog->setResult(-1);
        return dialog;
    }

    TestDb m_db;
    ui::MessageRecorder m_messages;
};

// Another tool stored texts that are no dates: 编辑 without touching the date keeps them as
// stored; picking a date writes it.
TEST_F(RecordOddValuesTest, ADateThatDoesNotReadAsADateIsKeptUnlessChanged) {
    COFFER_FILE_LEDGER_ONLY(); // a server's date column holds only dates
    for (const Twin& twin : kTwins) {
        for (const char* odd : {"2026-13-45 99:99:99", "2026-02-30 10:00:00", "下周三"}) {
            SCOPED_TRACE(std::string(twin.table) + " " + odd);
            Store(twin, odd, "午饭");
            auto dialog = Open(twin);
            dialog->SetDlgItemText(twin.amountId, "13");
            dialog->ClickButton(twin.editId);
            EXPECT_EQ(dialog->result(), ui::IDOK);
            EXPECT_EQ(Stored(twin, twin.dateColumn), odd);
            EXPECT_EQ(Stored(twin, "typeof(" + std::string(twin.dateColumn) + ")"), "text");
            EXPECT_EQ(Stored(twin, twin.amountColumn), "13.0");
            EXPECT_EQ(dialog->m_dtRecord.GetStatus(), COleDateTime::null);

            auto again = Open(twin);
            again->Item<ui::DateTimePicker>(1021)->setDate(QDate(2010, 12, 1));
            again->ClickButton(twin.editId);
            EXPECT_EQ(Stored(twin, twin.dateColumn).substr(0, 10), "2010-12-01");
            EXPECT_EQ(again->m_dtRecord.GetStatus(), COleDateTime::valid);
        }
    }
    EXPECT_TRUE(m_messages.Texts().empty());
}

// A note of a million characters on one line opens at once, shown in part and read-only,
// and stays as stored; so does a note the box would have changed (its line ends).
TEST_F(RecordOddValuesTest, NotesLeftAloneAreWrittenBackUnchanged) {
    std::string huge;
    for (int i = 0; i < 1000000; ++i)
        huge += i % 1000 == 999 ? "。" : "记";
    const struct {
        std::string note;
        bool shownInPart;
    } cases[] = {{huge, true}, {"第一行\r\n第二行\r", false}};
    for (const Twin& twin : kTwins) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(twin.table) + " " + std::to_string(c.note.size()));
            Store(twin, "2010-11-13 07:17:07", c.note);
            auto dialog = Open(twin);
            auto* box = dialog->Item<QPlainTextEdit>(1025);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->isReadOnly(), c.shownInPart);
            const QString shown = box->toPlainText();
            if (c.shownInPart) {
                EXPECT_LE(shown.size(), 10001);
                EXPECT_TRUE(shown.endsWith(QStringLiteral("…")));
                EXPECT_TRUE(QString::fromStdString(huge).startsWith(shown.chopped(1)));
            }
            dialog->SetDlgItemText(twin.amountId, "99");
            dialog->ClickButton(twin.editId);
            EXPECT_EQ(dialog->result(), ui::IDOK);
            EXPECT_TRUE(Stored(twin, "备注") == c.note) << "the note changed";
        }
    }
    // A note the user changes is written as typed.
    Store(kTwins[0], "2010-11-13 07:17:07", "第一行\r\n第二行");
    auto dialog = Open(kTwins[0]);
    dialog->SetDlgItemText(1025, "改过了");
    dialog->ClickButton(kTwins[0].editId);
    EXPECT_EQ(Stored(kTwins[0], "备注"), "改过了");
    EXPECT_TRUE(m_messages.Texts().empty());
}

} // namespace
