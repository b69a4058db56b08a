#include "inquiry/IncomeInquiryDlg.h"
#include "inquiry/PayInquiryDlg.h"
#include "tests/inquiry/InquiryFixture.h"

#include "platform/ui/ModalScript.h"
#include "platform/ui/PopupScript.h"

#include <QLineEdit>

namespace {

using Row = std::vector<std::string>;

constexpr int kIncomeEditor = 138, kPayEditor = 139;
constexpr int kIncomeEdit = 32808, kIncomeDelete = 32802, kPayEdit = 32809, kPayDelete = 32810;

class InquiryActionsTest : public InquiryFixture {
protected:
    InquiryActionsTest() {
        AddPay(1, "爸爸", 10, "2010-11-17 07:00:00", "餐饮");
        AddPay(2, "妈妈", 20, "2010-11-17 08:00:00", "交通");
        AddPay(3, "孩子", 30, "2010-11-17 09:00:00", "教育");
        AddIncome(7, "爸爸", 1500, "2010-11-17 09:30:00", "工资");
        AddIncome(8, "妈妈", 800, "2010-11-17 10:30:00", "奖金");
    }

    /// An editor script: a new amount, the member and category entries at these indexes,
    /// the date moved a day on and a time of 18:45, then 编辑.
    static ui::ModalScript::Script Edit(int editButton, int amountBox, const char* amount,
                                        int member, int item, std::string* shownAmount = nullptr) {
        return [=](ui::Dialog& editor) {
            if (shownAmount != nullptr)
                *shownAmount = editor.GetDlgItemText(amountBox);
            editor.Item<QLineEdit>(amountBox)->setText(QString::fromUtf8(amount));
            editor.Item<QComboBox>(1018)->setCurrentIndex(member);
            editor.Item<QComboBox>(1019)->setCurrentIndex(item);
            editor.Item<ui::DateTimePicker>(1021)->SetTime(COleDateTime(2010, 11, 18, 18, 45, 0));
            editor.ClickButton(editButton);
            return ui::IDCANCEL; // the editor ends itself when it has written
        };
    }

    static void Select(CInquiryDlg& dlg, std::initializer_list<int> rows) {
        for (int row : rows)
            List(dlg).SetSelected(row, true);
    }

    ui::ModalScript m_editors;
};

TEST_F(InquiryActionsTest, AcceptedEditRefreshesColumnsOneToFourOfThatRowOnly) {
    CPayInquiryDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.ClickButton(CInquiryDlg::IDC_TODAY);
    const std::vector<Row> before = Rows(dlg);
    ASSERT_EQ(before.size(), 3u);
    EXPECT_EQ(before[1][3].find("时"), std::string::npos); // listed by 今天: no 时

    Select(dlg, {1});
    const std::string id = before[1][0];
    std::string shown;
    m_editors.Then(Edit(1061, 1026, "88", 0, 3, &shown));
    EXPECT_EQ(dlg.SendNotify(1047, ui::Notification::DblClk, 1), 0);

    ASSERT_EQ(m_editors.Runs(), std::vector<int>{kPayEditor});
    EXPECT_EQ(shown, before[1][1].substr(0, before[1][1].find('.'))); // the editor got that record
    std::vector<Row> after = Rows(dlg);
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(after[0], before[0]);
    EXPECT_EQ(after[2], before[2]);
    EXPECT_EQ(after[1], (Row{id, "88.0", "爸爸", "2010-11-18 18时", "住房"}));
    EXPECT_EQ(m_db.Query("SELECT 支出人员, 支出金额, 支出项目 FROM normalPay WHERE 编号 = " + id),
              (std::vector<Row>{{"爸爸", "88.0", "住房"}}));

    // The new texts are what a sort uses.
    dlg.Item<CReportCtrl>(1047)->columnClicked(1);
    EXPECT_EQ(Rows(dlg).back()[1], "88.0");
    EXPECT_TRUE(m_messages.Texts().empty());
}

TEST_F(InquiryActionsTest, EditedRowStaysOutOfRangeAndIncomeKeeps时) {
    CIncomeInquiryDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.ClickButton(CInquiryDlg::IDC_TODAY);
    const std::vector<Row> before = Rows(dlg);
    Select(dlg, {0});
    m_editors.Then(Edit(1016, 1020, "1234", 1, 1));
    dlg.SendCommand(kIncomeEdit);
    EXPECT_EQ(m_editors.Runs(), std::vector<int>{kIncomeEditor});
    // Now dated tomorrow, but the row stays until the next query.
    EXPECT_EQ(Rows(dlg)[0], (Row{before[0][0], "1234.0", "妈妈", "2010-11-18 18时", "奖金"}));
    EXPECT_EQ(Rows(dlg)[1], before[1]);
    dlg.ClickButton(CInquiryDlg::IDC_TODAY);
    EXPECT_EQ(Rows(dlg).size(), 1u);
}

TEST_F(InquiryActionsTest, ClosedEditorChangesNothing) {
    CIncomeInquiryDlg income;
    ASSERT_TRUE(income.Create());
    income.ClickButton(CInquiryDlg::IDC_TODAY);
    CPayInquiryDlg pay;
    ASSERT_TRUE(pay.Create());
    pay.ClickButton(CInquiryDlg::IDC_TODAY);
    const auto incomeRows = Rows(income), payRows = Rows(pay);
    const auto stored = m_db.Query("SELECT * FROM normalIncome UNION ALL SELECT * FROM normalPay");

    const auto changeThenClose = [](int amountBox, int closeButton) {
        return [=](ui::Dialog& editor) {
            editor.Item<QLineEdit>(amountBox)->setText("5");
            editor.ClickButton(closeButton);
            return ui::IDCANCEL;
        };
    };
    m_editors.Then(changeThenClose(1020, 1017));
    m_editors.Then(changeThenClose(1026, 1));
    m_editors.Then([](ui::Dialog&) { return ui::IDCANCEL; }); // Esc
    Select(income, {1});
    Select(pay, {2});
    income.SendNotify(1050, ui::Notification::DblClk, 1);
    pay.SendNotify(1047, ui::Notification::DblClk, 2);
    pay.SendNotify(1047, ui::Notification::DblClk, 2);
    EXPECT_EQ(m_editors.Runs(), (std::vector<int>{kIncomeEditor, kPayEditor, kPayEditor}));
    EXPECT_EQ(Rows(income), incomeRows);
    EXPECT_EQ(Rows(pay), payRows);
    EXPECT_EQ(m_db.Query("SELECT * FROM normalIncome UNION ALL SELECT * FROM normalPay"), stored);
}

TEST_F(InquiryActionsTest, NoSelectionDoesNothing) {
    CPayInquiryDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.ClickButton(CInquiryDlg::IDC_TODAY);
    const auto rows = Rows(dlg);
    dlg.SendNotify(1047, ui::Notification::DblClk, -1);
    dlg.SendCommand(kPayEdit);
    dlg.SendCommand(kPayDelete);
    EXPECT_TRUE(m_editors.Runs().empty());
    EXPECT_EQ(Rows(dlg), rows);
    EXPECT_EQ(m_db.Scalar("SELECT COUNT(*) FROM normalPay"), "3");
    EXPECT_TRUE(m_messages.Texts().empty());
}

TEST_F(InquiryActionsTest, SeveralSelectedActOnTheTopmost) {
    CPayInquiryDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.ClickButton(CInquiryDlg::IDC_TODAY);
    const auto rows = Rows(dlg);
    Select(dlg, {2, 1});

    m_editors.Then(Edit(1061, 1026, "66", 2, 0));
    dlg.SendCommand(kPayEdit);
    EXPECT_EQ(Rows(dlg)[1][1], "66.0");
    EXPECT_EQ(Rows(dlg)[2], rows[2]);

    dlg.SendCommand(kPayDelete);
    const auto after = Rows(dlg);
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[0], rows[0]);
    EXPECT_EQ(after[1], rows[2]); // the rows below move up
    EXPECT_EQ(m_db.Scalar("SELECT COUNT(*) FROM normalPay WHERE 编号 = " + rows[1][0]), "0");
    EXPECT_EQ(m_db.Scalar("SELECT COUNT(*) FROM normalPay"), "2");
}

TEST_F(InquiryActionsTest, PopupOffersTheTwinsCommandsAndDeletes) {
    ui::PopupScript popups;
    CIncomeInquiryDlg income;
    ASSERT_TRUE(income.Create());
    income.ClickButton(CInquiryDlg::IDC_TODAY);
    const auto rows = Rows(income);
    Select(income, {0});
    popups.Choose(kIncomeDelete);
    EXPECT_EQ(income.SendNotify(1050, ui::Notification::RClick, 0, QPoint(40, 50)), 0);
    EXPECT_EQ(Rows(income), (std::vector<Row>{rows[1]}));
    EXPECT_EQ(m_db.Scalar("SELECT COUNT(*) FROM normalIncome WHERE 编号 = " + rows[0][0]), "0");

    CPayInquiryDlg pay;
    ASSERT_TRUE(pay.Create());
    pay.ClickButton(CInquiryDlg::IDC_TODAY);
    Select(pay, {1});
    m_editors.Then(Edit(1061, 1026, "12", 0, 0));
    popups.Choose(kPayEdit);
    pay.SendNotify(1047, ui::Notification::RClick, 1);
    EXPECT_EQ(Rows(pay)[1][1], "12.0");

    using Texts = std::vector<std::string>;
    EXPECT_EQ(popups.Shown(), (std::vector<Texts>{{"编辑", "删除"}, {"编辑", "删除"}}));
    EXPECT_TRUE(m_messages.Texts().empty());
}

TEST_F(InquiryActionsTest, PopupWithoutSelectionStillShowsAndItsCommandsDoNothing) {
    ui::PopupScript popups;
    CPayInquiryDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.ClickButton(CInquiryDlg::IDC_TODAY);
    const auto rows = Rows(dlg);
    popups.Choose(kPayEdit);
    popups.Choose(kPayDelete);
    popups.Choose(0);
    for (int i = 0; i < 3; ++i)
        dlg.SendNotify(1047, ui::Notification::RClick, -1);
    EXPECT_EQ(popups.Shown().size(), 3u);
    EXPECT_TRUE(m_editors.Runs().empty());
    EXPECT_EQ(Rows(dlg), rows);
    EXPECT_EQ(m_db.Scalar("SELECT COUNT(*) FROM normalPay"), "3");
}

TEST_F(InquiryActionsTest, RowWhoseRecordVanishedStaysAndNothingIsShown) {
    CIncomeInquiryDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.ClickButton(CInquiryDlg::IDC_TODAY);
    const auto rows = Rows(dlg);
    m_db.Exec("DELETE FROM normalIncome WHERE 编号 = " + rows[1][0]);
    Select(dlg, {1});
    dlg.SendCommand(kIncomeDelete);
    EXPECT_EQ(Rows(dlg), rows);
    EXPECT_TRUE(m_messages.Texts().empty());
}

TEST_F(InquiryActionsTest, RecordNumberThatIsNotAllDigitsFindsNothing) {
    CPayInquiryDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.ClickButton(CInquiryDlg::IDC_TODAY);
    // A cell that does not hold a plain number must never become part of the statement.
    for (const char* text : {"1 or 1=1", "1;DELETE FROM normalPay", "", " 2", "-3"}) {
        List(dlg).SetItemText(0, 0, text);
        Select(dlg, {0});
        dlg.SendCommand(kPayDelete);
        EXPECT_EQ(List(dlg).GetItemCount(), 3) << text;
    }
    EXPECT_EQ(m_db.Scalar("SELECT COUNT(*) FROM normalPay"), "3");
    EXPECT_TRUE(m_messages.Texts().empty());
}

} // namespace
