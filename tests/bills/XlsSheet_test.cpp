#include "bills/XlsSheet.h"

#include "tests/bills/XlsFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using xls_files::Rows;

struct DayCountCase {
    const char* name;
    bool b1904;
};

class XlsSheetTest : public testing::TestWithParam<DayCountCase> {};

// Cells come out as the statements' readers take a CSV file's: texts as they are, numbers
// as Excel shows them (a card number whole, a sum's float error gone), days and times as texts
// whichever day count the workbook uses; a row stays on its line, gaps and all.
TEST_P(XlsSheetTest, ReadsTheFirstSheetAsTexts) {
    const Rows rows = {
        {{'s', "摘要"}, {'s', "含,逗号和\"引号\""}},
        {{'d', "2024-03-05"},
         {'t', "2024-03-05 12:30:45"},
         {'n', "-28.16"},
         {'n', "5000"},
         {'n', "6214830212341234"},
         {'d', "1999-12-31"},
         {'n', "5071.839999999999"},
         {'n', "0.30000000000000004"}},
        {},
        {{}, {'s', "B4"}},
    };
    const std::string bytes = xls_files::Workbook(rows, {GetParam().b1904, false});
    ASSERT_TRUE(CXlsSheet::LooksLikeXls(bytes));
    CXlsSheet sheet;
    std::string error;
    bool bLocked = true;
    ASSERT_TRUE(sheet.Read(bytes, error, bLocked)) << error;
    EXPECT_FALSE(bLocked);
    EXPECT_EQ(sheet.Rows(), (std::vector<std::vector<std::string>>{
                                {"摘要", "含,逗号和\"引号\""},
                                {"2024-03-05", "2024-03-05 12:30:45", "-28.16", "5000",
                                 "6214830212341234", "1999-12-31", "5071.84", "0.3"},
                                {},
                                {"", "B4"}}));
    EXPECT_EQ(sheet.CsvText(),
              "摘要,\"含,逗号和\"\"引号\"\"\"\n"
              "2024-03-05,2024-03-05 12:30:45,-28.16,5000,6214830212341234,1999-12-31,5071.84,0.3\n"
              "\n"
              ",B4\n");
}

INSTANTIATE_TEST_SUITE_P(DayCounts, XlsSheetTest,
                         testing::Values(DayCountCase{"From1900", false},
                                         DayCountCase{"From1904", true}),
                         [](const testing::TestParamInfo<DayCountCase>& each) {
                             return each.param.name;
                         });

} // namespace
