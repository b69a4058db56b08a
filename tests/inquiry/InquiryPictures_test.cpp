// Receipts in the inquiry windows: the 凭证 column marks the listed records that have them, 有凭证
// narrows the listing to those, and the export counts them; on both engines.
#include "inquiry/IncomeInquiryDlg.h"
#include "inquiry/InquiryQuery.h"
#include "inquiry/InquiryTwin.h"
#include "inquiry/PayInquiryDlg.h"
#include "tests/controls/HeadingClick.h"
#include "tests/inquiry/InquiryFixture.h"
#include "tests/pictures/PictureFiles.h"

#include "data/InTransaction.h"
#include "data/LedgerAdditions.h"
#include "pictures/PicturePrep.h"
#include "pictures/PictureStore.h"
#include "pictures/PictureStrip.h"
#include "pictures/PictureTexts.h"
#include "platform/ui/FileDialogScript.h"
#include "platform/ui/ModalScript.h"

#include <QFontMetrics>

#include <fstream>
#include <iterator>
#include <map>
#include <memory>

namespace {

using Marks = std::map<std::string, std::string>; // record number: 凭证 cell

std::string Png(QColor colour) {
    return picture_files::Encode(picture_files::Halves(60, 40, colour, Qt::white), "png");
}

class InquiryPicturesTest : public InquiryFixture {
protected:
    InquiryPicturesTest() {
        m_connection.SetConnectionString(testing_support::TestDb::kConnectionString);
        EXPECT_TRUE(m_connection.Open());
    }

    void Attach(const char* table, int id, QColor colour) {
        CPreparedPicture picture;
        std::string error;
        ASSERT_TRUE(CPicturePrep::FromBytes(Png(colour), picture, error)) << error;
        InTransaction(m_connection,
                      [&] { CPictureStore(m_connection).Attach(table, id, picture); });
    }

    static Marks Listed(CInquiryDlg& dlg) {
        Marks marks;
        for (int row = 0; row < List(dlg).GetItemCount(); ++row)
            marks[List(dlg).GetItemText(row, 0)] = List(dlg).GetItemText(row, kPicturesColumn);
        return marks;
    }

    CADODatabase m_connection;
};

TEST_F(InquiryPicturesTest, TheMarkSortsAndTheConditionNarrowsOnBothTwins) {
    for (const bool income : {true, false}) {
        SCOPED_TRACE(income ? "income" : "pay");
        const char* table = income ? "normalIncome" : "normalPay";
        const auto add = [this](bool bIncome, int id, double amount, const char* date) {
            bIncome ? AddIncome(id, "爸爸", amount, date, "工资")
                    : AddPay(id, "爸爸", amount, date, "餐饮");
        };
        add(income, 1, 10, "2010-11-02 08:00:00"); // two receipts
        add(income, 2, 20, "2010-11-03 08:00:00"); // none
        add(income, 4, 40, "2010-11-04 08:00:00"); // record 1's first one
        add(!income, 2, 20, "2010-11-03 08:00:00");
        Attach(table, 1, Qt::red);
        Attach(table, 1, Qt::blue);
        Attach(table, 4, Qt::red);
        Attach(income ? "normalPay" : "normalIncome", 2, Qt::green); // the other kind's 2

        const std::unique_ptr<CInquiryDlg> dlg =
            income ? std::unique_ptr<CInquiryDlg>(std::make_unique<CIncomeInquiryDlg>())
                   : std::make_unique<CPayInquiryDlg>();
        ASSERT_TRUE(dlg->Create());
        const std::string mark = dlg->GetPictureMark();
        EXPECT_EQ(List(*dlg).GetListModel()->ColumnHeading(kPicturesColumn), "凭证");
        dlg->show(); // the heading is clicked where it is shown
        dlg->ClickButton(CInquiryDlg::IDC_THIS_MONTH);
        EXPECT_EQ(Listed(*dlg), (Marks{{"1", mark}, {"2", ""}, {"4", mark}}));
        ClickHeading(List(*dlg), kPicturesColumn);
        EXPECT_EQ(List(*dlg).GetItemText(0, 0), "2");
        Shoot(*dlg, income ? "income-inquiry-receipts.png" : "pay-inquiry-receipts.png");
        ClickHeading(List(*dlg), kPicturesColumn);
        EXPECT_EQ(List(*dlg).GetItemText(2, 0), "2");

        dlg->Item<QCheckBox>(CInquiryDlg::IDC_PICTURES_CHECK)->setChecked(true);
        dlg->ClickButton(CInquiryDlg::IDC_THIS_MONTH);
        EXPECT_EQ(Listed(*dlg), (Marks{{"1", mark}, {"4", mark}}));
        EXPECT_EQ(dlg->GetDlgItemText(CInquiryDlg::IDC_TOTALS), "共 2 条，合计 50.00 元");
        EXPECT_TRUE(m_messages.Texts().empty());
        m_db.Exec("DELETE FROM normalIncome; DELETE FROM normalPay");
    }

    // Unticked, the statement is the one the window always sent.
    CInquiryQuery query(kPayInquiry, InquiryKind::ThisMonth);
    query.ComputeBounds(COleDateTime::GetCurrentTime(), {}, {});
    InquiryConditions conditions;
    const std::string plain = query.BuildStatement(conditions);
    EXPECT_EQ(plain.find("pictureLink"), std::string::npos);
    conditions.bPictures = 1;
    EXPECT_EQ(query.BuildStatement(conditions),
              plain + CInquiryQuery::PicturesCondition(kPayInquiry));
}

// The paperclip where a font at hand draws it, else the plain mark: never a box.
TEST_F(InquiryPicturesTest, TheMarkIsOneTheFontsDraw) {
    CIncomeInquiryDlg dlg;
    ASSERT_TRUE(dlg.Create());
    const QFontMetrics metrics(List(dlg).font());
    for (const char32_t c : QString::fromStdString(dlg.GetPictureMark()).toUcs4())
        EXPECT_TRUE(metrics.inFontUcs4(c)) << std::hex << static_cast<unsigned>(c);
    EXPECT_EQ(dlg.GetPictureMark(), metrics.inFontUcs4(0x1F4CE) ? CPictureTexts::kListMark
                                                                : CPictureTexts::kPlainListMark);
}

// A ledger from before the receipts has no record with one, and nothing goes wrong.
TEST_F(InquiryPicturesTest, ALedgerWithoutReceiptsListsNothingWithTheCondition) {
    AddPay(1, "爸爸", 10, "2010-11-02 08:00:00", "餐饮");
    m_db.Exec("DROP TABLE pictureLink; DROP TABLE pictureStore");
    CLedgerAdditions::Write(m_connection, CLedgerAdditions::kPictures - 1);
    CPayInquiryDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.ClickButton(CInquiryDlg::IDC_THIS_MONTH);
    EXPECT_EQ(Listed(dlg), (Marks{{"1", ""}}));
    dlg.Item<QCheckBox>(CInquiryDlg::IDC_PICTURES_CHECK)->setChecked(true);
    dlg.ClickButton(CInquiryDlg::IDC_THIS_MONTH);
    EXPECT_EQ(List(dlg).GetItemCount(), 0);
    EXPECT_TRUE(m_messages.Texts().empty());
}

// The editor's strip writes a picture at once: the row is marked even when the editor is then
// closed without 编辑. The export counts the receipts.
TEST_F(InquiryPicturesTest, APictureAddedInTheEditorMarksTheRowAndIsExported) {
    AddPay(1, "爸爸", 10, "2010-11-02 08:00:00", "餐饮");
    AddPay(2, "妈妈", 20, "2010-11-03 08:00:00", "交通");
    const auto file = m_db.Directory() / "receipt.png";
    std::ofstream(file, std::ios::binary) << Png(Qt::red);
    CPayInquiryDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.show();
    dlg.ClickButton(CInquiryDlg::IDC_THIS_MONTH);
    List(dlg).SetSelected(List(dlg).GetItemText(0, 0) == "2" ? 0 : 1, true);
    ui::ModalScript editors;
    editors.Then([&](ui::Dialog& editor) {
        EXPECT_TRUE(editor.Item<CPictureStrip>(1091)->AddFile(file.string()));
        return ui::IDCANCEL;
    });
    dlg.SendNotify(dlg.GetResultListId(), ui::Notification::DblClk, 0);
    EXPECT_EQ(Listed(dlg), (Marks{{"1", ""}, {"2", dlg.GetPictureMark()}}));

    ClickHeading(List(dlg), 0);
    ui::FileDialogScript files;
    files.Answer(ui::FileDialogAnswer{(m_db.Directory() / "out.csv").string(), 0});
    dlg.ClickButton(CInquiryDlg::IDC_EXPORT);
    std::ifstream in(m_db.Directory() / "out.csv", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()),
              "\xEF\xBB\xBF"
              "编号,金额,成员,日期,类别,备注,凭证\r\n"
              "1,10,爸爸,2010-11-02 08:00:00,餐饮,,0\r\n"
              "2,20,妈妈,2010-11-03 08:00:00,交通,,1\r\n");
}

} // namespace
