#include "search/SearchExport.h"

#include "exchange/ExchangeRecord.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

// The receipts' count comes last, and only when some found record has receipts.
TEST(SearchExport, CountsReceiptsWhereAnyRecordHasThem) {
    testing_support::TempDir dir;
    for (const int nPictures : {0, 2}) {
        ExchangeRecord record{"7",    12, "爸爸", COleDateTime(2024, 3, 1, 8, 0, 0),
                              "餐饮", "", "",     0};
        record.nPictures = nPictures;
        std::string error;
        ASSERT_TRUE(
            ExportSearchCsv(dir.Path() / "a.csv", {{1, record}, {0, ExchangeRecord{}}}, error))
            << error;
        std::ifstream in(dir.Path() / "a.csv", std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
        const std::string heading = text.substr(0, text.find('\r'));
        EXPECT_EQ(heading.ends_with(",凭证"), nPictures > 0) << text;
        if (nPictures > 0) {
            EXPECT_NE(text.find(",2\r\n"), std::string::npos) << text;
            EXPECT_NE(text.find(",0\r\n"), std::string::npos) << text;
        }
    }
}

} // namespace
