#include "exchange/ColumnMapping.h"
#include "exchange/CsvReader.h"
#include "exchange/TextEncoding.h"

#include <csv.h>
#include <gtest/gtest.h>

namespace {

using Rows = std::vector<std::vector<std::string>>;

struct ReadResult {
    Rows rows;
    std::vector<size_t> lines;
    std::string error;
};

ReadResult ReadAll(std::string_view text, char delimiter = ',') {
    CCsvReader reader(text, delimiter);
    ReadResult result;
    CsvRow row;
    while (reader.Next(row)) {
        result.rows.push_back(row.fields);
        result.lines.push_back(row.nLine);
    }
    result.error = reader.GetLastError();
    EXPECT_EQ(reader.Progress(), result.error.empty() ? 1.0 : reader.Progress());
    return result;
}

// The same through NextFields: the views copied out row by row.
ReadResult ReadAllViews(std::string_view text, char delimiter = ',') {
    CCsvReader reader(text, delimiter);
    ReadResult result;
    std::vector<std::string_view> fields;
    size_t nLine = 0;
    while (reader.NextFields(fields, nLine)) {
        result.rows.emplace_back(fields.begin(), fields.end());
        result.lines.push_back(nLine);
    }
    result.error = reader.GetLastError();
    return result;
}

TEST(CsvReaderTest, RowsFieldsAndTheLinesTheyStartOn) {
    const ReadResult result = ReadAll("a,b,c\r\n"
                                      "1,\"x, \"\"y\"\"\",\"two\r\nlines\"\n"
                                      "\n"
                                      "  padded  ,\"  kept  \",\n"
                                      "last,without,newline");
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(result.rows, (Rows{{"a", "b", "c"},
                                 {"1", "x, \"y\"", "two\r\nlines"},
                                 {"padded", "  kept  ", ""},
                                 {"last", "without", "newline"}}));
    EXPECT_EQ(result.lines, (std::vector<size_t>{1, 2, 5, 6}));
}

// Old Mac files end their lines with a CR alone; every line was "第 1 行".
TEST(CsvReaderTest, LinesEndWithCrLfOrCrLf) {
    for (const char* end : {"\n", "\r", "\r\n"}) {
        const std::string e = end;
        const ReadResult result = ReadAll("a,b" + e + "1,2" + e + e + "\"x" + e + "y\",3" + e + "4,5");
        EXPECT_EQ(result.rows, (Rows{{"a", "b"}, {"1", "2"}, {"x" + e + "y", "3"}, {"4", "5"}}));
        EXPECT_EQ(result.lines, (std::vector<size_t>{1, 2, 4, 6})) << "line end " << int(end[0]);
    }
}

// A field of 200 MB once took 1.6 GB to read: a field past the limit is cut as it is read,
// its row marked, and the rows after it read as usual.
TEST(CsvReaderTest, FieldsPastTheLimitAreCutAndTheirRowMarked) {
    const std::string huge(3 * kMaxCsvField + 17, 'x');
    for (const std::string& field : {huge, "\"" + huge + "\"", "\"" + huge + "\n" + huge + "\""}) {
        const std::string text = "a,b\n1," + field + "\n2,ok\n";
        CCsvReader reader(text, ',');
        CsvRow row;
        ASSERT_TRUE(reader.Next(row));
        EXPECT_FALSE(row.bFieldTooLong);
        ASSERT_TRUE(reader.Next(row));
        EXPECT_TRUE(row.bFieldTooLong);
        EXPECT_LE(row.fields.at(1).size(), kMaxCsvField + 1);
        ASSERT_TRUE(reader.Next(row));
        EXPECT_FALSE(row.bFieldTooLong);
        EXPECT_EQ(row.fields, (std::vector<std::string>{"2", "ok"}));
        EXPECT_EQ(row.nLine, field.find('\n') == std::string::npos ? 3u : 4u);
    }
    const std::string justFits(kMaxCsvField, 'y');
    const std::string text = "a\n" + justFits + "\n";
    CCsvReader reader(text, ',');
    CsvRow row;
    ASSERT_TRUE(reader.Next(row) && reader.Next(row));
    EXPECT_FALSE(row.bFieldTooLong);
    EXPECT_EQ(row.fields.at(0), justFits);
}

// The rows libcsv itself makes of `text`, read in one go: what the reader's own splitting
// of lines without quotes must agree with.
Rows LibcsvRows(std::string_view text, char delimiter) {
    struct Collected {
        Rows rows;
        std::vector<std::string> fields;
    } collected;
    csv_parser parser{};
    csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI);
    csv_set_delim(&parser, static_cast<unsigned char>(delimiter));
    const auto onField = [](void* data, size_t size, void* self) {
        static_cast<Collected*>(self)->fields.emplace_back(static_cast<const char*>(data), size);
    };
    const auto onRow = [](int, void* self) {
        auto* c = static_cast<Collected*>(self);
        c->rows.push_back(std::move(c->fields));
        c->fields.clear();
    };
    csv_parse(&parser, text.data(), text.size(), onField, onRow, &collected);
    csv_fini(&parser, onField, onRow, &collected);
    csv_free(&parser);
    return collected.rows;
}

// Lines without quotes are split by the reader itself: blanks, empty fields, lines of
// blanks, tabs as blanks or as the delimiter, NULs and line ends as libcsv reads them.
TEST(CsvReaderTest, PlainLinesSplitAsLibcsvSplitsThem) {
    const struct {
        const char* text;
        char delimiter;
    } cases[] = {
        {"a,b,c\n1,2,3\n", ','},
        {"  a ,\tb\t, c c \r\n", ','},
        {",\n,,\n a,\n", ','},
        {"   \n\t\t\n \t \r\nx\n", ','},
        {"a\tb\t\tc\n \t \n\t\n", '\t'},
        {"a;b ; c;\n", ';'},
        {"last,without,end", ','},
        {"last,with,blank,end,  ", ','},
        {"cr\ronly\r\r,\r", ','},
        {"a,\"q\"\nplain , after\n\"two\nlines\",x\ny,z\n", ','},
        {"  ", ','},
        // Payment bills: padded fields, tabs after order numbers, a comma closing each line.
        {"2024-01-02 12:00:00      ,餐饮美食      ,云膳过桥米线(传奇广场店)      ,1.50      ,"
         "2024000012\t,M1\t,      ,\r\n\r\n------,\r\n#注：\r\n", ','},
        {"交易号,金额（元）\n\"2024\"\t,\" 1.00 \"\n  ,\t\n2,\t3\t", ','},
    };
    for (const auto& c : cases) {
        const std::string text = c.text;
        const Rows expected = LibcsvRows(text, c.delimiter);
        EXPECT_EQ(ReadAll(text, c.delimiter).rows, expected) << text;
        const ReadResult views = ReadAllViews(text, c.delimiter);
        EXPECT_EQ(views.rows, expected) << text;
        EXPECT_EQ(views.lines, ReadAll(text, c.delimiter).lines) << text;
    }
    const std::string nul("a,b\0c, d\n", 9);
    EXPECT_EQ(ReadAll(nul).rows, LibcsvRows(nul, ',')); // a NUL is a field's byte like any
    EXPECT_EQ(ReadAllViews(nul).rows, LibcsvRows(nul, ','));
    EXPECT_EQ(ReadAll(nul).rows.at(0).at(1).size(), 3u);
}

TEST(CsvReaderTest, BrokenQuotesStopTheReadingWithTheirLine) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"a,b\n1,\"open\n2,3\n", "第 2 行的引号没有结束"},
        {"a,b\n1,2\n3,\"never closed", "第 3 行的引号没有结束"},
        {"a,b\n1,ab\"c\n", "第 2 行的引号用法不对"},
        {"a,b\n1,\"x\"y\n", "第 2 行的引号用法不对"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReadAll(c.text).error, c.error) << c.text;
        EXPECT_EQ(ReadAllViews(c.text).error, c.error) << c.text;
    }
}

TEST(CsvReaderTest, EmptyTextAndManyColumns) {
    EXPECT_TRUE(ReadAll("").rows.empty());
    EXPECT_TRUE(ReadAll("\n\r\n\n").rows.empty());
    std::string wide;
    for (int i = 0; i < 10000; ++i)
        wide += (i ? "," : "") + std::to_string(i);
    const ReadResult result = ReadAll(wide + "\n" + wide);
    ASSERT_EQ(result.rows.size(), 2u);
    EXPECT_EQ(result.rows[1].size(), 10000u);
    EXPECT_EQ(result.rows[1][9999], "9999");
}

TEST(CsvReaderTest, RowsOfChangingWidthKeepTheirOwnFields) {
    // The reader writes each row over the strings of an earlier one; what a row held must not
    // show through in a narrower one, nor change a row the caller took away.
    CCsvReader reader("a,b,c,d\n1\n\"x y z, long enough not to fit in place\",2\n,\n", ',');
    CsvRow row;
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> taken;
    while (reader.Next(row)) {
        rows.push_back(row.fields);
        if (row.nLine == 2)
            taken = std::move(row.fields);
    }
    EXPECT_EQ(reader.GetLastError(), "");
    EXPECT_EQ(rows, (std::vector<std::vector<std::string>>{
                        {"a", "b", "c", "d"},
                        {"1"},
                        {"x y z, long enough not to fit in place", "2"},
                        {"", ""}}));
    EXPECT_EQ(taken, (std::vector<std::string>{"1"}));
}

TEST(CsvReaderTest, DelimiterDetection) {
    const struct {
        const char* text;
        char delimiter;
    } cases[] = {
        {"日期,金额,备注\n2024-01-01,1,x\n", ','},
        {"日期;金额;备注\n2024-01-01;1,5;x\n", ';'},
        {"日期\t金额\t备注\n2024-01-01\t1,234.00\tx\n", '\t'},
        {"a;b\n\"1,2,3,4\";5\n", ';'}, // commas inside quotes do not count
        {"only\none\n", ','},
        {"", ','},
        {"a,b;c\n1,2;3\n", ','}, // a tie goes to the comma
    };
    for (const auto& c : cases)
        EXPECT_EQ(DetectDelimiter(c.text), c.delimiter) << c.text;
}

TEST(CsvReaderTest, Utf8ValidityAndEncodingDetection) {
    const struct {
        const char* bytes;
        bool valid;
    } cases[] = {
        {"", true},
        {"abc", true},
        {"爸爸", true},
        {"😀", true},
        {"\xC0\xAF", false},
        {"\xED\xA0\x80", false},
        {"\xF4\x90\x80\x80", false},
        {"\xE7\x88", false},
        {"\xB0\xD6", false},
        {"\x80", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsValidUtf8(c.bytes), c.valid) << c.bytes;

    EXPECT_EQ(DetectEncoding("爸爸"), TextEncoding::Utf8);
    EXPECT_EQ(DetectEncoding("\xB0\xD6\xB0\xD6"), TextEncoding::Gb18030);  // 爸爸 in GBK
    EXPECT_EQ(DetectEncoding("\xEF\xBB\xBF\xB0\xD6"), TextEncoding::Utf8); // declared
    std::string text, error;
    ASSERT_TRUE(
        DecodeText("\xB0\xD6\xB0\xD6,\x81\x30\x81\x30", TextEncoding::Gb18030, text, error));
    EXPECT_EQ(text, "爸爸,\xC2\x80"); // a four-byte GB18030 sequence too
    ASSERT_TRUE(DecodeText("\xEF\xBB\xBF"
                           "a",
                           TextEncoding::Utf8, text, error));
    EXPECT_EQ(text, "a");
    EXPECT_FALSE(DecodeText("ok\nok\n\x81\x30", TextEncoding::Gb18030, text, error));
    EXPECT_EQ(error, "第 3 行不是有效的 GB18030 文本");

    // Long ASCII runs are copied past the converter: a character whose second byte looks
    // like ASCII ("\x81\x40", "\x81\x30\x81\x30") must not be split, and a bad character
    // after such a run still names its line.
    const std::string pad(40, ' ');
    ASSERT_TRUE(DecodeText("\xB0\xD6" + pad + "\x81\x40" + pad + "\x81\x30\x81\x30" + pad + "\xB0\xD6\n",
                           TextEncoding::Gb18030, text, error));
    EXPECT_EQ(text, "爸" + pad + "\xE4\xB8\x82" + pad + "\xC2\x80" + pad + "爸\n");
    EXPECT_FALSE(DecodeText("\xB0\xD6" + pad + "\n" + pad + "\n\xFF\x30" + pad, TextEncoding::Gb18030,
                            text, error));
    EXPECT_EQ(error, "第 3 行不是有效的 GB18030 文本");

    // A text far longer than the room made at a time: in characters, then in one ASCII run.
    std::string many, manyText;
    for (int i = 0; i < 5000; ++i) {
        many += "\xB0\xD6" + pad;
        manyText += "爸" + pad;
    }
    const std::string run(200000, 'x');
    ASSERT_TRUE(DecodeText(many + run + "\x81\x30\x81\x30", TextEncoding::Gb18030, text, error));
    EXPECT_EQ(text, manyText + run + "\xC2\x80");
    // Characters alone, one byte off: some begin in one block of the bytes and end in the next.
    std::string characters = "a", charactersText = "a";
    for (int i = 0; i < 50000; ++i) {
        characters += "\xB0\xD6";
        charactersText += "爸";
    }
    ASSERT_TRUE(DecodeText(characters, TextEncoding::Gb18030, text, error));
    EXPECT_EQ(text, charactersText);
}

TEST(CsvReaderTest, HeadingsMapToFields) {
    const struct {
        std::vector<std::string> header;
        std::array<int, FieldCount> columns; // date, amount, member, item, note, kind
    } cases[] = {
        {{"编号", "金额", "成员", "日期", "类别", "备注"}, {3, 1, 2, 4, 5, -1}},
        {{"Date", " AMOUNT ", "Member", "Category", "Note", "Type"}, {0, 1, 2, 3, 4, 5}},
        {{"时间", "金 额", "人员", "项目", "收支"}, {0, 1, 2, 3, -1, 4}},
        {{"\xEF\xBB\xBF日期", "类型", "金额", "支出人员"}, {0, 2, 3, 1, -1, -1}},
        {{"日期", "日期", "x"}, {0, -1, -1, -1, -1, -1}}, // the first one wins
        {{}, {-1, -1, -1, -1, -1, -1}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MapHeader(c.header).columns, c.columns) << ::testing::PrintToString(c.header);
    EXPECT_EQ(MissingFieldsText(MapHeader({"日期", "金额", "成员", "类别"})), "");
    EXPECT_EQ(MissingFieldsText(MapHeader({"日期", "备注"})), "找不到金额、成员、类别列");
}

} // namespace
