#include "inquiry/IncomeInquiryDlg.h"
#include "inquiry/PayInquiryDlg.h"
#include "tests/controls/HeadingClick.h"
#include "tests/inquiry/InquiryFixture.h"

#include "platform/ui/FileDialogScript.h"

#include <QPushButton>

#include <fstream>
#include <iterator>

namespace {

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class InquiryExportTest : public InquiryFixture {
protected:
    InquiryExportTest() {
        AddPay(1, "爸爸", 12.25, "2010-11-17 08:00:00", "餐饮");
        AddPay(2, "妈妈", 1234.56, "2010-03-01 00:00:00", "交通");
        AddPay(3, "孩子", 7, "2010-11-16 21:15:00", "其他支出");
        AddPay(4, "爸爸", 1, "2009-12-31 23:00:00", "交通"); // not this year: not listed
        m_db.Exec("UPDATE normalPay SET 备注 = '买菜, \"早市\"' WHERE 编号 = 1");
    }

    ui::FileDialogScript m_files;
};

TEST_F(InquiryExportTest, ExportsTheListedRowsInTheListsOrderWithNotes) {
    CPayInquiryDlg dlg;
    ASSERT_TRUE(dlg.Create());
    auto* button = dlg.Item<QPushButton>(CInquiryDlg::IDC_EXPORT);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text().toStdString(), "导出…");
    dlg.show();
    dlg.ClickButton(CInquiryDlg::IDC_THIS_YEAR);
    // The store's order: by date in the file (its date index), as added on the server.
    ASSERT_EQ(List(dlg).GetItemText(0, 0), testing_support::TestDb::OnServer() ? "1" : "2");
    ClickHeading(List(dlg), 2); // by member: 爸爸, 孩子, 妈妈 in pinyin order
    ASSERT_EQ(List(dlg).GetItemText(0, 0), "1");

    const auto path = m_db.Directory() / "out";
    m_files.Answer(ui::FileDialogAnswer{path.string(), 0});
    dlg.ClickButton(CInquiryDlg::IDC_EXPORT);
    ASSERT_EQ(m_files.Requests().size(), 1u);
    EXPECT_TRUE(m_files.Requests()[0].bSave);
    EXPECT_EQ(m_files.Requests()[0].strFileName, "支出.csv");
    EXPECT_EQ(ReadAll(m_db.Directory() / "out.csv"),
              "\xEF\xBB\xBF"
              "编号,金额,成员,日期,类别,备注\r\n"
              "1,12.25,爸爸,2010-11-17 08:00:00,餐饮,\"买菜, \"\"早市\"\"\"\r\n"
              "3,7,孩子,2010-11-16 21:15:00,其他支出,\r\n"
              "2,1234.56,妈妈,2010-03-01 00:00:00,交通,\r\n");
    EXPECT_EQ(m_messages.Take(), std::vector<std::string>{"导出成功！共 3 条记录。"});

    // Sorted the other way, the file follows.
    ClickHeading(List(dlg), 2);
    m_files.Answer(ui::FileDialogAnswer{(m_db.Directory() / "desc.csv").string(), 0});
    dlg.ClickButton(CInquiryDlg::IDC_EXPORT);
    const std::string desc = ReadAll(m_db.Directory() / "desc.csv");
    EXPECT_LT(desc.find("\r\n2,"), desc.find("\r\n3,"));
    EXPECT_LT(desc.find("\r\n3,"), desc.find("\r\n1,"));
}

TEST_F(InquiryExportTest, WorkbookCancelAndEmptyList) {
    CIncomeInquiryDlg income;
    ASSERT_TRUE(income.Create());
    income.ClickButton(CInquiryDlg::IDC_EXPORT); // nothing listed yet
    EXPECT_EQ(m_messages.Take(), std::vector<std::string>{"列表中没有记录！"});
    EXPECT_TRUE(m_files.Requests().empty());

    CPayInquiryDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.ClickButton(CInquiryDlg::IDC_THIS_YEAR);
    m_files.Answer(std::nullopt); // cancelled: nothing written, nothing said
    dlg.ClickButton(CInquiryDlg::IDC_EXPORT);
    EXPECT_TRUE(m_messages.Take().empty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_db.Directory()),
                            std::filesystem::directory_iterator()),
              1); // data.mdb alone

    m_files.Answer(ui::FileDialogAnswer{(m_db.Directory() / "book").string(), 1});
    dlg.ClickButton(CInquiryDlg::IDC_EXPORT);
    EXPECT_EQ(ReadAll(m_db.Directory() / "book.xlsx").substr(0, 2), "PK");
    EXPECT_EQ(m_messages.Take(), std::vector<std::string>{"导出成功！共 3 条记录。"});

    m_files.Answer(ui::FileDialogAnswer{(m_db.Directory() / "no" / "x.csv").string(), 0});
    dlg.ClickButton(CInquiryDlg::IDC_EXPORT);
    const auto failed = m_messages.Take();
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].rfind("导出失败！\n", 0), 0u) << failed[0];
}

} // namespace
