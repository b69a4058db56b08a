#include "search/SearchDlg.h"
#include "tests/search/SearchFixture.h"

#include "controls/ReportCtrl.h"
#include "platform/ole/Clock.h"
#include "platform/ui/MessageRecorder.h"
#include "platform/ui/ModalScript.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

namespace {

using Row = std::vector<std::string>;

constexpr int kIncomeEditor = 138;
constexpr int kPayDelete = 32810;

class SearchDlgTest : public SearchFixture {
protected:
    SearchDlgTest() {
        ole::SetClock([] { return COleDateTime(2024, 3, 20, 9, 0, 0); });
        Add("收入", "爸爸", 2399, "2024-03-02 10:00:00", "工资", "云膳过桥米线");
        Add("支出", "妈妈", 28.16, "2024-03-15 12:00:00", "餐饮", "过桥米线 两碗");
        Add("支出", "孩子", 100, "2023-04-01 09:00:00", "教育", "钢琴课");
    }
    ~SearchDlgTest() override { ole::ResetClock(); }

    static CReportCtrl& List(CSearchDlg& dlg) {
        return *dlg.Item<CReportCtrl>(CSearchDlg::IDC_RESULT);
    }
    static std::vector<Row> Rows(CSearchDlg& dlg) {
        std::vector<Row> rows;
        for (int row = 0; row < List(dlg).GetItemCount(); ++row) {
            rows.emplace_back();
            for (int column = 0; column < List(dlg).GetColumnCount(); ++column)
                rows.back().push_back(List(dlg).GetItemText(row, column));
        }
        return rows;
    }
    // Types the text as a user does and waits for the answer to be listed.
    static void Type(CSearchDlg& dlg, const char* text) {
        const int nBefore = dlg.GetAnswerCount();
        dlg.Item<QLineEdit>(CSearchDlg::IDC_TEXT)->setText(QString::fromUtf8(text));
        ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.GetAnswerCount() > nBefore; }, 10000));
    }

    ui::MessageRecorder m_messages;
    ui::ModalScript m_editors;
};

TEST_F(SearchDlgTest, ListsBothKindsWithTheirTotalsAsTheUserTypes) {
    CSearchDlg dlg;
    ASSERT_TRUE(dlg.Create());
    Type(dlg, "米线");
    EXPECT_EQ(Rows(dlg),
              (std::vector<Row>{
                  {"支出", "1", "28.16", "妈妈", "2024-03-15 12时", "餐饮", "过桥米线 两碗"},
                  {"收入", "1", "2399.00", "爸爸", "2024-03-02 10时", "工资", "云膳过桥米线"},
              }));
    EXPECT_EQ(dlg.GetDlgItemText(CSearchDlg::IDC_TOTALS),
              "共 2 条，收入 2399.00 元，支出 28.16 元，结余 2370.84 元");
    // The period narrows further: 本月 leaves last year's lesson out.
    Type(dlg, "课");
    EXPECT_EQ(Rows(dlg).size(), 1u);
    dlg.ClickButton(CSearchDlg::IDC_THIS_MONTH);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.GetAnswerCount() == 3; }, 10000));
    EXPECT_TRUE(Rows(dlg).empty());
    EXPECT_EQ(dlg.GetDlgItemText(CSearchDlg::IDC_TOTALS),
              "共 0 条，收入 0.00 元，支出 0.00 元，结余 0.00 元");
    EXPECT_TRUE(m_messages.Texts().empty());
}

TEST_F(SearchDlgTest, ANewerTextWinsOverAnOlderOne) {
    CSearchDlg dlg;
    ASSERT_TRUE(dlg.Create());
    // Two searches asked at once (Enter searches without the pause): only the newer is
    // listed, whenever the older one ends.
    auto* edit = dlg.Item<QLineEdit>(CSearchDlg::IDC_TEXT);
    edit->setText(QString::fromUtf8("米"));
    QTest::keyClick(edit, Qt::Key_Return);
    edit->setText(QString::fromUtf8("钢琴课"));
    QTest::keyClick(edit, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.GetAnswerCount() == 1; }, 10000));
    QTest::qWait(3 * CSearchDlg::kPauseMs); // anything still on its way arrives
    EXPECT_EQ(dlg.GetAnswerCount(), 1);
    ASSERT_EQ(Rows(dlg).size(), 1u);
    EXPECT_EQ(Rows(dlg)[0][6], "钢琴课");
}

TEST_F(SearchDlgTest, EditAndDeleteAsInTheInquiryWindows) {
    CSearchDlg dlg;
    ASSERT_TRUE(dlg.Create());
    Type(dlg, "米线");
    ASSERT_EQ(Rows(dlg).size(), 2u);

    // The income row: its editor opens on it; the row then shows the record as stored.
    List(dlg).SetSelected(1, true);
    m_editors.Then([](ui::Dialog& editor) {
        editor.Item<QLineEdit>(1020)->setText("2400.5");
        editor.ClickButton(1016);
        return ui::IDCANCEL;
    });
    dlg.SendNotify(CSearchDlg::IDC_RESULT, ui::Notification::DblClk, 1);
    ASSERT_EQ(m_editors.Runs(), std::vector<int>{kIncomeEditor});
    EXPECT_EQ(Rows(dlg)[1][2], "2400.50");
    EXPECT_EQ(Rows(dlg)[1][6], "云膳过桥米线");
    EXPECT_EQ(dlg.GetDlgItemText(CSearchDlg::IDC_TOTALS),
              "共 2 条，收入 2400.50 元，支出 28.16 元，结余 2372.34 元");

    // The expense row, deleted by the row menu's 删除.
    List(dlg).SetSelected(1, false);
    List(dlg).SetSelected(0, true);
    dlg.SendCommand(kPayDelete);
    EXPECT_EQ(Rows(dlg).size(), 1u);
    EXPECT_EQ(m_db.Scalar("SELECT count(*) FROM normalPay WHERE 编号 = 1"), "0");
    EXPECT_EQ(dlg.GetDlgItemText(CSearchDlg::IDC_TOTALS),
              "共 1 条，收入 2400.50 元，支出 0.00 元，结余 2400.50 元");
    EXPECT_TRUE(m_messages.Texts().empty()) << m_messages.Texts().front();
}

TEST_F(SearchDlgTest, EveryControlHasAName) {
    CSearchDlg dlg;
    ASSERT_TRUE(dlg.Create());
    // Edits, pickers and lists are not named by Qt from their labels.
    for (int id :
         {CSearchDlg::IDC_TEXT, CSearchDlg::IDC_FROM, CSearchDlg::IDC_TO, CSearchDlg::IDC_RESULT})
        EXPECT_FALSE(dlg.GetDlgItem(id)->accessibleName().isEmpty()) << id;
}

} // namespace
