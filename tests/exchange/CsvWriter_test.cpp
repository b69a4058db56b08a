#include "exchange/CsvWriter.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(CsvWriterTest, QuotesOnlyWhatNeedsIt) {
    const struct {
        const char* field;
        const char* written;
    } cases[] = {
        {"", ""},
        {"午饭", "午饭"},
        {"1234.56", "1234.56"},
        {"-12.5", "-12.5"},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"\"", "\"\"\"\""},
        {"line1\nline2", "\"line1\nline2\""},
        {"cr\rlf", "\"cr\rlf\""},
        {"crlf\r\n", "\"crlf\r\n\""},
        {"  leading", "\"  leading\""},
        {"trailing ", "\"trailing \""},
        {"\ttab", "\"\ttab\""},
        {"in side", "in side"},
        {"a;b", "a;b"},
        {"😀 表情", "😀 表情"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CCsvWriter::QuoteField(c.field), c.written) << c.field;
}

TEST(CsvWriterTest, RowsJoinWithCommas) {
    EXPECT_EQ(CCsvWriter::FormatRow({"编号", "金额", "备注"}), "编号,金额,备注");
    EXPECT_EQ(CCsvWriter::FormatRow({"1", "", "x,y"}), "1,,\"x,y\"");
    EXPECT_EQ(CCsvWriter::FormatRow({"", ""}), ",");
    // A lone empty field must not turn into a blank line.
    EXPECT_EQ(CCsvWriter::FormatRow({""}), "\"\"");
    EXPECT_EQ(CCsvWriter::FormatRow({}), "");
}

TEST(CsvWriterTest, FileHasBomCrlfAndAppearsOnlyOnCommit) {
    testing_support::TempDir dir;
    const auto path = dir.Path() / "out.csv";
    {
        CCsvWriter writer;
        ASSERT_TRUE(writer.Open(path)) << writer.GetLastError();
        writer.WriteRow({"编号", "备注"});
        writer.WriteRow(std::vector<std::string>{"1", "a \"b\",\nc"});
        writer.WriteRow({""});
        EXPECT_FALSE(std::filesystem::exists(path));
        ASSERT_TRUE(writer.Commit()) << writer.GetLastError();
    }
    EXPECT_EQ(ReadAll(path), "\xEF\xBB\xBF编号,备注\r\n1,\"a \"\"b\"\",\nc\"\r\n\"\"\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(CsvWriterTest, DroppedWriterLeavesTheOldFileAlone) {
    testing_support::TempDir dir;
    const auto path = dir.Path() / "keep.csv";
    std::ofstream(path, std::ios::binary) << "old";
    {
        CCsvWriter writer;
        ASSERT_TRUE(writer.Open(path));
        writer.WriteRow({"new"});
    }
    EXPECT_EQ(ReadAll(path), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(CsvWriterTest, FailuresAreReportedNotSwallowed) {
    testing_support::TempDir dir;
    CCsvWriter writer;
    EXPECT_FALSE(writer.Open(dir.Path() / "no-such-folder" / "x.csv"));
    EXPECT_NE(writer.GetLastError().find("no-such-folder"), std::string::npos);
    writer.WriteRow({"ignored"});
    EXPECT_FALSE(writer.Commit());

    // A target that cannot be replaced (a folder of that name) fails the commit, and the
    // rows written so far are not left lying about.
    std::filesystem::create_directory(dir.Path() / "taken.csv");
    CCsvWriter blocked;
    ASSERT_TRUE(blocked.Open(dir.Path() / "taken.csv"));
    blocked.WriteRow({"1", "2"});
    EXPECT_FALSE(blocked.Commit());
    EXPECT_FALSE(blocked.GetLastError().empty());
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "taken.csv"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "taken.csv.part"));
}

} // namespace
