#include "stats/StatisticsChart.h"
#include "stats/StatisticsDlg.h"
#include "tests/inquiry/InquiryFixture.h"

#include "platform/ui/FileDialogScript.h"

#include <QImage>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

class StatisticsExportTest : public InquiryFixture {
protected:
    StatisticsExportTest() {
        AddIncome(1, "爸爸", 1234.5, "2010-03-10 08:00:00", "工资");
        AddPay(2, "妈妈", 20, "2010-03-31 23:59:59", "餐饮, 外卖"); // a comma to quote
        AddPay(3, "妈妈", 9.99, "2010-05-02 12:00:00", "交通");
    }
    static ui::FileDialogAnswer At(const std::filesystem::path& path) {
        return ui::FileDialogAnswer{path.string(), 0};
    }

    ui::FileDialogScript m_files;
};

TEST_F(StatisticsExportTest, ExportWritesTheTableAsShownToCsv) {
    CStatisticsDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.Item<QAbstractButton>(CStatisticsDlg::IDC_BY_CATEGORY)->setChecked(true);
    dlg.ClickButton(CStatisticsDlg::IDC_BY_CATEGORY);
    dlg.Item<CReportCtrl>(CStatisticsDlg::IDC_RESULT)->columnClicked(0); // sorted by name

    const std::filesystem::path file = m_db.Directory() / "统计.csv";
    m_files.Answer(At(file));
    dlg.ClickButton(CStatisticsDlg::IDC_EXPORT);
    ASSERT_EQ(m_files.Requests().size(), 1u);
    EXPECT_TRUE(m_files.Requests()[0].bSave);
    EXPECT_EQ(m_files.Requests()[0].filters, std::vector<std::string>{"CSV 文件 (*.csv)"});
    EXPECT_EQ(m_messages.Take(), std::vector<std::string>{"统计表已导出！"});
    // UTF-8 with its mark, the rows in the list's order, 合计 last.
    EXPECT_EQ(ReadFile(file), "\xEF\xBB\xBF"
                              "分组,收入,支出,结余\r\n"
                              "\"餐饮, 外卖\",0.00,20.00,-20.00\r\n" // by pinyin
                              "工资,1234.50,0.00,1234.50\r\n"
                              "交通,0.00,9.99,-9.99\r\n"
                              "合计,1234.50,29.99,1204.51\r\n");

    // Cancelled: nothing asked of the user, nothing written.
    std::filesystem::remove(file);
    m_files.Answer(std::nullopt);
    dlg.ClickButton(CStatisticsDlg::IDC_EXPORT);
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_TRUE(m_messages.Texts().empty());

    // A folder that does not exist: the failure is told, and nothing is left behind.
    m_files.Answer(At(m_db.Directory() / "无此目录" / "统计.csv"));
    dlg.ClickButton(CStatisticsDlg::IDC_EXPORT);
    const std::vector<std::string> texts = m_messages.Take();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].rfind("导出失败！\n", 0), 0u) << texts[0];
    EXPECT_FALSE(std::filesystem::exists(m_db.Directory() / "无此目录"));
}

TEST_F(StatisticsExportTest, SaveChartWritesThePictureOfTheChart) {
    CStatisticsDlg dlg;
    ASSERT_TRUE(dlg.Create());
    dlg.show();
    const std::filesystem::path file = m_db.Directory() / "图表.png";
    m_files.Answer(At(file));
    dlg.ClickButton(CStatisticsDlg::IDC_SAVE_CHART);
    ASSERT_EQ(m_files.Requests().size(), 1u);
    EXPECT_EQ(m_files.Requests()[0].filters, std::vector<std::string>{"PNG 图片 (*.png)"});
    EXPECT_EQ(m_messages.Take(), std::vector<std::string>{"图表已保存！"});
    const QImage image(QString::fromStdString(file.string()), "PNG");
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), dlg.GetChart().size());
    // Not a blank picture: the bars and the text are drawn in more than one colour.
    int colours = 0;
    QRgb last = image.pixel(0, 0);
    for (int x = 0; x < image.width(); x += 3) {
        const QRgb pixel = image.pixel(x, image.height() / 2);
        colours += pixel != last ? 1 : 0;
        last = pixel;
    }
    EXPECT_GT(colours, 4);

    // A place that cannot be written: told, and an earlier picture there stays.
    m_files.Answer(At(m_db.Directory() / "无此目录" / "图表.png"));
    dlg.ClickButton(CStatisticsDlg::IDC_SAVE_CHART);
    const std::vector<std::string> texts = m_messages.Take();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].rfind("图表保存失败！\n", 0), 0u) << texts[0];
}

} // namespace
