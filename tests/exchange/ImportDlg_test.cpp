#include "exchange/ImportDlg.h"

#include "controls/ReportCtrl.h"
#include "platform/ui/FileDialogScript.h"
#include "platform/ui/MessageRecorder.h"
#include "tests/support/TestDb.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <fstream>

namespace {

using testing_support::TestDb;

class ImportDlgTest : public ::testing::Test {
protected:
    std::string WriteFile(const std::string& name, const std::string& bytes) {
        const auto path = m_db.Directory() / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }
    void Choose(CImportDlg& dlg, const std::string& path) {
        m_files.Answer(ui::FileDialogAnswer{path, 0});
        dlg.ClickButton(CImportDlg::IDC_CHOOSE_FILE);
    }
    static QComboBox* Combo(CImportDlg& dlg, int id) { return dlg.Item<QComboBox>(id); }
    static void Pick(CImportDlg& dlg, int id, int index) {
        Combo(dlg, id)->setCurrentIndex(index);
        dlg.SendNotify(id, ui::Notification::SelChange, index);
    }
    static CReportCtrl& Preview(CImportDlg& dlg) {
        return *dlg.Item<CReportCtrl>(CImportDlg::IDC_PREVIEW);
    }
    static std::vector<std::string> PreviewRow(CImportDlg& dlg, int row) {
        std::vector<std::string> cells;
        for (int column = 0; column < Preview(dlg).GetColumnCount(); ++column)
            cells.push_back(Preview(dlg).GetItemText(row, column));
        return cells;
    }
    static bool Enabled(CImportDlg& dlg, int id) { return dlg.GetDlgItem(id)->isEnabled(); }

    TestDb m_db;
    ui::MessageRecorder m_messages;
    ui::FileDialogScript m_files;
};

TEST_F(ImportDlgTest, PreviewShowsTheLinesAsTheyWillBeStoredAndMarksBadOnes) {
    const std::string path = WriteFile("bank.csv", "交易时间;Amount;人员;类型;备注\n"
                                                   "2024/5/1 08:30;\"1,234.50\";爸爸;餐饮;早饭\n"
                                                   "2024-05-02;x;妈妈;交通;\n"
                                                   "2024-05-03;2;阿姨;交通;\n");
    CImportDlg dlg;
    ASSERT_TRUE(dlg.Create());
    EXPECT_FALSE(Enabled(dlg, CImportDlg::IDC_IMPORT));
    Choose(dlg, path);
    EXPECT_EQ(m_files.Requests().at(0).bSave, false);
    EXPECT_EQ(dlg.Item<QLineEdit>(CImportDlg::IDC_FILE)->text().toStdString(), path);
    EXPECT_EQ(Combo(dlg, CImportDlg::IDC_ENCODING)->currentText().toStdString(), "UTF-8");
    EXPECT_EQ(Combo(dlg, CImportDlg::IDC_DELIMITER)->currentText().toStdString(), "分号");
    // 交易时间 is no heading we know: the date column is for the user to choose.
    EXPECT_EQ(
        Combo(dlg, CImportDlg::IDC_COLUMN_FIRST + int(FieldDate))->currentText().toStdString(),
        "（无）");
    EXPECT_EQ(dlg.GetDlgItemText(CImportDlg::IDC_STATUS), "找不到日期列");
    EXPECT_FALSE(Enabled(dlg, CImportDlg::IDC_IMPORT));
    ASSERT_EQ(Preview(dlg).GetItemCount(), 3);

    Pick(dlg, CImportDlg::IDC_COLUMN_FIRST + int(FieldDate), 1);
    EXPECT_TRUE(Enabled(dlg, CImportDlg::IDC_IMPORT));
    EXPECT_EQ(PreviewRow(dlg, 0),
              (std::vector<std::string>{"2", "支出", "1234.50", "爸爸", "2024-05-01 08:30:00",
                                        "餐饮", "早饭", ""}));
    EXPECT_EQ(PreviewRow(dlg, 1)[7], "金额不是数字");
    EXPECT_EQ(PreviewRow(dlg, 1)[2], "x");
    EXPECT_EQ(PreviewRow(dlg, 2)[7], "成员“阿姨”不在家庭成员中");
    EXPECT_EQ(PreviewRow(dlg, 2)[2], "2.00"); // as a good line's amount, though the line is bad
    // Bad lines are red, good ones are not; 说明 is as wide as its longest reason.
    CReportCtrl& list = Preview(dlg);
    list.resize(1400, 300);
    EXPECT_GE(list.columnWidth(7),
              list.fontMetrics().horizontalAdvance(QStringLiteral("成员“阿姨”不在家庭成员中")));
    const QImage image = list.viewport()->grab().toImage();
    const auto redPixels = [&](int row) {
        const QRect cell = list.visualRect(list.model()->index(row, 7));
        int red = 0;
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= std::min(cell.right(), image.width() - 1); ++x) {
                const QColor colour = image.pixelColor(x, y);
                red += colour.red() > 150 && colour.green() < 90 && colour.blue() < 90;
            }
        return red;
    };
    EXPECT_EQ(redPixels(0), 0);
    EXPECT_GT(redPixels(1), 0);
    EXPECT_GT(redPixels(2), 0);
    EXPECT_EQ(dlg.GetDlgItemText(CImportDlg::IDC_STATUS),
              "前 3 行中：可导入 1 行，重复 0 行，错误 2 行。");

    dlg.ClickButton(CImportDlg::IDC_ADD_MISSING);
    ASSERT_TRUE(dlg.Item<QCheckBox>(CImportDlg::IDC_ADD_MISSING)->isChecked());
    EXPECT_EQ(PreviewRow(dlg, 2)[7], "将添加成员");
    Pick(dlg, CImportDlg::IDC_KIND, 0); // as income: 餐饮 is no income category
    EXPECT_EQ(PreviewRow(dlg, 0)[7], "将添加类别");
    EXPECT_EQ(m_db.Scalar("select count(*) from normalPay"), "0"); // nothing written yet
    EXPECT_EQ(m_db.Scalar("select count(*) from 家庭成员"), "3");

    // Read with the wrong delimiter, the file has one column only.
    Pick(dlg, CImportDlg::IDC_DELIMITER, 0);
    EXPECT_EQ(Combo(dlg, CImportDlg::IDC_COLUMN_FIRST + int(FieldAmount))->count(), 2);
    EXPECT_FALSE(Enabled(dlg, CImportDlg::IDC_IMPORT));
    EXPECT_TRUE(m_messages.Texts().empty());
}

TEST_F(ImportDlgTest, ImportWritesOnceAndOffersTheBadLines) {
    const std::string path =
        WriteFile("gbk.csv", std::string("\xC8\xD5\xC6\xDA,\xBD\xF0\xB6\xEE,"
                                         "\xB3\xC9\xD4\xB1,\xC0\xE0\xB1\xF0\n") +
                                 "2024-01-01,5,\xB0\xD6\xB0\xD6,\xB2\xCD\xD2\xFB\n"
                                 "2024-01-02,bad,\xB0\xD6\xB0\xD6,\xB2\xCD\xD2\xFB\n");
    CImportDlg dlg;
    ASSERT_TRUE(dlg.Create());
    Choose(dlg, path);
    EXPECT_EQ(Combo(dlg, CImportDlg::IDC_ENCODING)->currentText().toStdString(), "GB18030");
    EXPECT_EQ(PreviewRow(dlg, 0)[3], "爸爸");
    Pick(dlg, CImportDlg::IDC_ENCODING, 0); // as UTF-8 the lines are no text
    EXPECT_EQ(dlg.GetDlgItemText(CImportDlg::IDC_STATUS), "标题行不是有效的 UTF-8 文本");
    EXPECT_FALSE(Enabled(dlg, CImportDlg::IDC_IMPORT));
    Pick(dlg, CImportDlg::IDC_ENCODING, 1);

    dlg.ClickButton(CImportDlg::IDC_IMPORT);
    EXPECT_EQ(m_messages.Take(),
              std::vector<std::string>{"导入完成！导入 1 条记录，跳过重复 0 条，错误 1 行。"});
    EXPECT_EQ(m_db.Query("select 支出人员, 支出金额, 支出项目 from normalPay"),
              (std::vector<std::vector<std::string>>{{"爸爸", "5.0", "餐饮"}}));
    EXPECT_EQ(dlg.Item<QProgressBar>(CImportDlg::IDC_PROGRESS)->value(), 100);
    EXPECT_EQ(PreviewRow(dlg, 0)[7], "重复，将跳过"); // the preview knows the stored record now
    ASSERT_TRUE(Enabled(dlg, CImportDlg::IDC_SAVE_BAD_LINES));
    EXPECT_FALSE(Enabled(dlg, CImportDlg::IDC_CANCEL_IMPORT));

    const auto saved = m_db.Directory() / "bad.csv";
    m_files.Answer(ui::FileDialogAnswer{saved.string(), 0});
    dlg.ClickButton(CImportDlg::IDC_SAVE_BAD_LINES);
    EXPECT_EQ(m_messages.Take(), std::vector<std::string>{"错误行已保存！"});
    std::ifstream in(saved, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(text, "\xEF\xBB\xBF行号,原因\r\n3,金额不是数字,2024-01-02,bad,爸爸,餐饮\r\n");
}

TEST_F(ImportDlgTest, AMillionLinesImportWithAMovingBarAndCancelRollsBack) {
    std::string bytes = "日期,金额,成员,类别,备注\n";
    bytes.reserve(50'000'000);
    for (int i = 0; i < 1'000'000; ++i)
        bytes += "2024-01-01 00:00:00," + std::to_string(i + 1) + ",爸爸,餐饮,第" +
                 std::to_string(i) + "行\n";
    const std::string path = WriteFile("big.csv", bytes);
    bytes.clear();
    CImportDlg dlg;
    ASSERT_TRUE(dlg.Create());
    Choose(dlg, path);
    EXPECT_EQ(Preview(dlg).GetItemCount(), 200); // the preview reads no further
    EXPECT_EQ(m_db.Scalar("select count(*) from normalPay"), "0");

    // While the import runs, the window is still handling events: the bar has moved, only
    // 取消 is enabled, and closing the window cancels instead of closing.
    struct Seen {
        int progress = -1;
        bool cancelEnabled = false;
        bool closeEnabled = true;
        bool visibleAfterClose = false;
    } seen;
    dlg.show();
    QTimer::singleShot(0, &dlg, [&] {
        seen.progress = dlg.Item<QProgressBar>(CImportDlg::IDC_PROGRESS)->value();
        seen.cancelEnabled = Enabled(dlg, CImportDlg::IDC_CANCEL_IMPORT);
        seen.closeEnabled = Enabled(dlg, ui::IDCANCEL);
        dlg.SendCommand(ui::IDCANCEL);
        seen.visibleAfterClose = dlg.isVisible();
    });
    dlg.ClickButton(CImportDlg::IDC_IMPORT);
    EXPECT_GE(seen.progress, 0);
    EXPECT_TRUE(seen.cancelEnabled);
    EXPECT_FALSE(seen.closeEnabled);
    EXPECT_TRUE(seen.visibleAfterClose);
    EXPECT_EQ(m_messages.Take(), std::vector<std::string>{"导入已取消，没有导入任何记录。"});
    EXPECT_EQ(m_db.Scalar("select count(*) from normalPay"), "0");
    EXPECT_TRUE(Enabled(dlg, ui::IDCANCEL));
    EXPECT_TRUE(Enabled(dlg, CImportDlg::IDC_IMPORT));

    // 取消 itself, a little later in the run.
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &dlg, [&] {
        if (++ticks == 3)
            dlg.ClickButton(CImportDlg::IDC_CANCEL_IMPORT);
    });
    timer.start(0);
    dlg.ClickButton(CImportDlg::IDC_IMPORT);
    timer.stop();
    EXPECT_GE(ticks, 3);
    EXPECT_EQ(m_messages.Take(), std::vector<std::string>{"导入已取消，没有导入任何记录。"});
    EXPECT_EQ(m_db.Scalar("select count(*) from normalPay"), "0");
}

TEST_F(ImportDlgTest, UnreadableFilesAreToldAndChangeNothing) {
    CImportDlg dlg;
    ASSERT_TRUE(dlg.Create());
    Choose(dlg, (m_db.Directory() / "missing.csv").string());
    ASSERT_EQ(m_messages.Texts().size(), 1u);
    EXPECT_EQ(m_messages.Take()[0].rfind("文件打不开", 0), 0u);
    EXPECT_FALSE(Enabled(dlg, CImportDlg::IDC_IMPORT));

    const struct {
        const char* bytes;
        const char* status;
    } cases[] = {
        {"", "文件是空的"},
        {"日期,金额,成员,类别\n", "文件中只有标题行，没有记录"},
        {"日期,金额,成员,类别\n2024-01-01,\"1,爸爸,餐饮\n", "第 2 行的引号没有结束"},
    };
    for (const auto& c : cases) {
        Choose(dlg, WriteFile("f.csv", c.bytes));
        EXPECT_EQ(dlg.GetDlgItemText(CImportDlg::IDC_STATUS), c.status) << c.bytes;
        EXPECT_FALSE(Enabled(dlg, CImportDlg::IDC_IMPORT)) << c.bytes;
    }
    m_files.Answer(std::nullopt); // a cancelled choice keeps what was there
    dlg.ClickButton(CImportDlg::IDC_CHOOSE_FILE);
    EXPECT_TRUE(m_messages.Texts().empty());
}

} // namespace
