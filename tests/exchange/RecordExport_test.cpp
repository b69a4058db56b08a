#include "exchange/RecordExport.h"

#include "data/ADODatabase.h"
#include "exchange/RecordReader.h"
#include "exchange/RecordTable.h"
#include "tests/support/TestDb.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>

namespace {

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// One member of the workbook's zip, through the system's unzip.
std::string ZipMember(const std::filesystem::path& zip, const std::string& member) {
    const std::string command = "unzip -p '" + zip.string() + "' '" + member + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string out;
    char buffer[4096];
    for (size_t n; pipe && (n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0;)
        out.append(buffer, n);
    return out;
}

class RecordExportTest : public ::testing::Test {
protected:
    RecordExportTest() {
        m_db.Exec(
            "INSERT INTO normalPay (编号, 支出人员, 支出金额, 支出日期, 支出项目, 备注) VALUES "
            "(3, '爸爸', 1234.56, '2010-11-17 00:00:00', '餐饮', 'say \"hi\", then\nleave'),"
            "(5, '妈妈', 12, '2010-11-18 09:30:05', '交通', NULL),"
            "(9, '孩子', 0.1, '2011-01-01 23:59:59', '其他支出', '  😀 ')");
        m_connection.SetConnectionString(testing_support::TestDb::kConnectionString);
        EXPECT_TRUE(m_connection.Open());
    }

    testing_support::TestDb m_db;
    CADODatabase m_connection;
};

TEST_F(RecordExportTest, RecordsComeInTheGivenOrderWithTheirNotes) {
    const auto records = ReadRecordsById(m_connection, kPayRecords, {"9", "3", "77", "x'", "5"});
    ASSERT_EQ(records.size(), 3u); // 77 is not stored, x' is no number
    EXPECT_EQ(records[0].strId, "9");
    EXPECT_EQ(records[1].strId, "3");
    EXPECT_EQ(records[1].strNote, "say \"hi\", then\nleave");
    EXPECT_EQ(records[2].strId, "5");
    EXPECT_EQ(records[2].strNote, "");
    EXPECT_EQ(ReadAllRecords(m_connection, kPayRecords).size(), 3u);
    EXPECT_TRUE(ReadAllRecords(m_connection, kIncomeRecords).empty());
}

TEST_F(RecordExportTest, CsvHoldsTheSixStoredColumnsAsStored) {
    const auto records = ReadRecordsById(m_connection, kPayRecords, {"9", "3", "5"});
    const auto path = m_db.Directory() / "支出.csv";
    std::string error;
    ASSERT_TRUE(ExportRecordsCsv(path, records, error)) << error;
    EXPECT_EQ(ReadAll(path),
              "\xEF\xBB\xBF"
              "编号,金额,成员,日期,类别,备注\r\n"
              "9,0.1,孩子,2011-01-01 23:59:59,其他支出,\"  😀 \"\r\n"
              "3,1234.56,爸爸,2010-11-17 00:00:00,餐饮,\"say \"\"hi\"\", then\nleave\"\r\n"
              "5,12,妈妈,2010-11-18 09:30:05,交通,\r\n");
}

TEST_F(RecordExportTest, WorkbookHasTypedCellsASumAndItsSheets) {
    const auto pay = ReadAllRecords(m_connection, kPayRecords);
    const std::vector<ExchangeRecord> income;
    const auto path = m_db.Directory() / "账本.xlsx";
    std::string error;
    ASSERT_TRUE(ExportRecordsXlsx(path, {{"收入", &income}, {"支出", &pay}}, error)) << error;
    EXPECT_FALSE(std::filesystem::exists(m_db.Directory() / "账本.xlsx.part"));

    const std::string book = ZipMember(path, "xl/workbook.xml");
    EXPECT_NE(book.find("name=\"收入\""), std::string::npos) << book;
    EXPECT_NE(book.find("name=\"支出\""), std::string::npos);
    const std::string sheet = ZipMember(path, "xl/worksheets/sheet2.xml");
    // Amounts and dates are numbers (2010-11-17 is day 40499), the note a text.
    EXPECT_NE(sheet.find("<v>1234.56</v>"), std::string::npos) << sheet;
    EXPECT_NE(sheet.find("<v>40499</v>"), std::string::npos);
    EXPECT_NE(sheet.find("SUM(B2:B4)"), std::string::npos);
    EXPECT_NE(sheet.find("<v>1246.66"), std::string::npos); // the sum's cached value
    EXPECT_NE(sheet.find("合计"), std::string::npos);
    EXPECT_NE(sheet.find("say \"hi\", then\nleave"), std::string::npos);
    EXPECT_NE(sheet.find("<col "), std::string::npos);
    // The empty list's 合计 is a plain 0: a SUM over its own cell would be circular.
    const std::string empty = ZipMember(path, "xl/worksheets/sheet1.xml");
    EXPECT_EQ(empty.find("<f>"), std::string::npos) << empty;
    EXPECT_NE(empty.find("<v>0</v>"), std::string::npos) << empty;
    const std::string styles = ZipMember(path, "xl/styles.xml");
    EXPECT_NE(styles.find("formatCode=\"0.00\""), std::string::npos);
    EXPECT_NE(styles.find("yyyy-mm-dd hh:mm:ss"), std::string::npos);
    EXPECT_NE(styles.find("<b/>"), std::string::npos);
}

// The workbook names each record's receipts as the CSV does: a count after the account,
// present only when some record has a receipt.
TEST_F(RecordExportTest, WorkbookCountsReceiptsWhereAnyRecordHasThem) {
    const struct {
        const char* name;
        const char* account;
        int pictures;
        const char* accountColumn; // nullptr: no such column
        const char* picturesColumn;
    } cases[] = {
        {"neither", "", 0, nullptr, nullptr},
        {"receipts", "", 2, nullptr, "G"},
        {"account and receipts", "工资卡", 3, "G", "H"},
        {"account", "工资卡", 0, "G", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto records = ReadRecordsById(m_connection, kPayRecords, {"3", "5"});
        ASSERT_EQ(records.size(), 2u);
        records[0].strAccount = c.account;
        records[0].nPictures = c.pictures;
        const auto path = m_db.Directory() / "凭证.xlsx";
        std::string error;
        ASSERT_TRUE(ExportRecordsXlsx(path, {{"支出", &records}}, error)) << error;
        const std::string sheet = ZipMember(path, "xl/worksheets/sheet1.xml");
        const auto cell = [&sheet](const std::string& ref) {
            const size_t at = sheet.find("<c r=\"" + ref + "\"");
            return at == std::string::npos ? std::string()
                                           : sheet.substr(at, sheet.find("</c>", at) - at);
        };
        EXPECT_EQ(cell("I1"), "");
        if (c.accountColumn != nullptr) {
            EXPECT_NE(cell(std::string(c.accountColumn) + "1").find("账户"), std::string::npos);
        }
        if (c.picturesColumn == nullptr) {
            EXPECT_EQ(sheet.find("凭证"), std::string::npos) << sheet;
            continue;
        }
        const std::string column = c.picturesColumn;
        EXPECT_NE(cell(column + "1").find("凭证"), std::string::npos) << sheet;
        EXPECT_NE(cell(column + "2").find("<v>" + std::to_string(c.pictures) + "</v>"),
                  std::string::npos)
            << sheet;
        EXPECT_NE(cell(column + "3").find("<v>0</v>"), std::string::npos) << sheet;
    }
}

TEST_F(RecordExportTest, FailedExportsLeaveNothingBehind) {
    const auto records = ReadAllRecords(m_connection, kPayRecords);
    std::string error;
    EXPECT_FALSE(ExportRecordsCsv(m_db.Directory() / "none" / "a.csv", records, error));
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_FALSE(
        ExportRecordsXlsx(m_db.Directory() / "none" / "a.xlsx", {{"支出", &records}}, error));
    EXPECT_FALSE(error.empty());
    error.clear();
    // A sheet name the format refuses.
    EXPECT_FALSE(ExportRecordsXlsx(m_db.Directory() / "b.xlsx", {{"a/b", &records}}, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(std::filesystem::exists(m_db.Directory() / "b.xlsx"));
    EXPECT_FALSE(std::filesystem::exists(m_db.Directory() / "b.xlsx.part"));
}

} // namespace
