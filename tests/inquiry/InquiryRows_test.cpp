#include "inquiry/InquiryRows.h"

#include "data/FormatDateTime.h"
#include "inquiry/InquiryRowFormatter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The names are borrowed: the caller keeps them.
InquiryRecord Record(std::string strId, double dAmount, std::string_view member,
                     const COleDateTime& dtRecord, std::string_view item) {
    InquiryRecord record;
    record.strId = std::move(strId);
    record.dAmount = dAmount;
    record.member = member;
    record.bDate = true;
    record.dtRecord = dtRecord;
    record.item = item;
    return record;
}

} // namespace

// Each record gets the account linked to its own number, whatever order the rows and
// links come in; a number that is only text is no record's.
TEST(InquiryRows, AccountsByRecordNumber) {
    const InquiryAccounts accounts{{"现金", "工资卡"}, {{-3, 0}, {2, 1}, {5, 0}, {7, 1}, {9, 1}}};
    struct Case {
        bool bNumber;
        std::int64_t nId;
        const char* szId;
        const char* szAccount;
    };
    const Case cases[] = {
        {true, 5, "", "现金"},  {true, 2, "", "工资卡"}, {true, 3, "", ""},
        {true, 9, "", "工资卡"}, {true, -3, "", "现金"}, {false, 0, "007", ""},
        {false, 0, "7", "工资卡"}, {false, 0, "x", ""},
    };
    CInquiryRows rows;
    rows.Clear("%Y");
    for (const Case& c : cases) {
        InquiryRecord record = Record(c.szId, 1, "爸爸", COleDateTime(2010, 1, 1, 0, 0, 0), "工资");
        record.bNumberId = c.bNumber;
        record.nId = c.nId;
        rows.Add(record);
    }
    rows.NameAccounts(accounts);
    for (std::uint32_t row = 0; row < std::size(cases); ++row)
        EXPECT_EQ(rows.Text(row, CInquiryRows::ColumnAccount), cases[row].szAccount) << row;
}

// The record number comes back as it was read, whether a plain number or not.
TEST(InquiryRows, RecordNumbersAsRead) {
    const std::vector<std::string> ids = {
        "1", "0",   "42",  "007", "-3",  "999999999999999999", "1000000000000000000",
        "",  "12a", "1.5", " 7",  "编号"};
    CInquiryRows rows;
    rows.Clear("%Y");
    for (const std::string& id : ids)
        rows.Add(Record(id, 1, "爸爸", COleDateTime(2010, 1, 1, 0, 0, 0), "工资"));
    ASSERT_EQ(rows.GetCount(), ids.size());
    for (std::uint32_t row = 0; row < ids.size(); ++row)
        EXPECT_EQ(rows.Text(row, CInquiryRows::ColumnId), ids[row]) << row;
}

// A record number read as a number shows as the text it was read as would: the same text
// whether kept as the number or, when it could not be read back as one, as text.
TEST(InquiryRows, RecordNumbersReadAsNumbers) {
    const std::int64_t ids[] = {
        1, 0, 42, -3, 999999999999999999, 1000000000000000000, INT64_MIN, INT64_MAX};
    CInquiryRows rows;
    rows.Clear("%Y");
    for (const std::int64_t id : ids) {
        InquiryRecord record =
            Record("stale", 1, "爸爸", COleDateTime(2010, 1, 1, 0, 0, 0), "工资");
        record.bNumberId = true;
        record.nId = id;
        rows.Add(record);
    }
    ASSERT_EQ(rows.GetCount(), std::size(ids));
    for (std::uint32_t row = 0; row < std::size(ids); ++row)
        EXPECT_EQ(rows.Text(row, CInquiryRows::ColumnId), std::to_string(ids[row])) << row;
}

// Names are kept once each however many there are: the first few, those after them, and
// texts of numbers and dates kept among them all come back as given.
TEST(InquiryRows, ManyNamesComeBackAsGiven) {
    std::vector<std::string> names;
    for (int i = 0; i < 40; ++i)
        names.push_back(i % 3 == 0 ? std::string() : "名" + std::to_string(i * 7 % 40));
    std::mt19937 engine(5);
    CInquiryRows rows;
    rows.Clear("%Y");
    std::vector<InquiryRecord> records;
    for (int i = 0; i < 3000; ++i) {
        InquiryRecord record =
            Record(i % 11 == 0 ? "0" + std::to_string(i) : std::to_string(i), 1,
                   names[engine() % names.size()], COleDateTime(2010, 1, 1, 0, 0, 0),
                   names[engine() % names.size()]);
        if (i % 13 == 0) {
            record.bDate = false;
            record.strStoredDate = names[engine() % names.size()];
        }
        records.push_back(record);
        rows.Add(record);
    }
    for (std::uint32_t row = 0; row < records.size(); ++row) {
        ASSERT_EQ(rows.Text(row, CInquiryRows::ColumnId), records[row].strId);
        ASSERT_EQ(rows.Text(row, CInquiryRows::ColumnMember), records[row].member);
        ASSERT_EQ(rows.Text(row, CInquiryRows::ColumnItem), records[row].item);
        if (!records[row].bDate) {
            ASSERT_EQ(rows.Text(row, CInquiryRows::ColumnDate), records[row].strStoredDate);
        }
    }
}

// Every cell is the text the listing wrote for the record: amount as "%0.1f", the date by
// the pattern in any order of asking, names as stored, and a stored date that is no date
// as it stands.
TEST(InquiryRows, CellsAreTheListingsTexts) {
    const char* const names[] = {"爸爸", "妈妈", "", "O'Brien", "工资", "奖金"};
    for (const char* pattern : {"%Y-%m-%d %H时", "%Y-%m-%d %H", "%Y-%m-%d %H:%M:%S"}) {
        std::mt19937 engine(17);
        CInquiryRows rows;
        rows.Clear(pattern);
        std::vector<InquiryRecord> records;
        for (int i = 0; i < 2000; ++i) {
            InquiryRecord record = Record(
                std::to_string(i + 1), static_cast<int>(engine() % 2000001 - 1000000) / 100.0,
                names[engine() % 6],
                COleDateTime(COleDateTime(2010, 1, 1, 0, 0, 0).m_dt + (engine() % 400000) / 1000.0),
                names[engine() % 6]);
            if (i % 97 == 5) {
                record.bDate = false;
                record.strStoredDate = "2026-02-30 10:00:00";
            }
            if (i % 101 == 7)
                record.dtRecord.SetStatus(COleDateTime::null);
            records.push_back(record);
            EXPECT_EQ(rows.Add(record), static_cast<std::uint32_t>(i));
        }
        std::vector<std::uint32_t> order(records.size());
        for (std::uint32_t i = 0; i < order.size(); ++i)
            order[i] = i;
        std::shuffle(order.begin(), order.end(), engine);
        for (std::uint32_t row : order) {
            const InquiryRecord& record = records[row];
            ASSERT_EQ(rows.Text(row, CInquiryRows::ColumnAmount),
                      CInquiryRowFormatter::Amount(record.dAmount));
            ASSERT_EQ(rows.Text(row, CInquiryRows::ColumnMember), record.member);
            ASSERT_EQ(rows.Text(row, CInquiryRows::ColumnDate),
                      record.bDate ? FormatDateTime(record.dtRecord, pattern)
                                   : record.strStoredDate)
                << pattern << " row " << row;
            ASSERT_EQ(rows.Text(row, CInquiryRows::ColumnItem), record.item);
        }
    }
}

// Names that share their length and first and last eight bytes, or that differ only past a
// zero byte, stay apart however often they come and in whatever order.
TEST(InquiryRows, NamesThatShareTheirEndsStayApart) {
    using namespace std::string_literals;
    const std::string names[] = {
        "abcdefgh-1-ijklmnop", "abcdefgh-2-ijklmnop", "abcdefghX", "abcdefghY",
        "0123456789abcdef",    "0123456789abcdeg",    "a\0b"s,    "a\0c"s,
        "a",                   "",                    "孩子孩子孩子", "孩子孩子孩孩",
    };
    std::mt19937 engine(3);
    CInquiryRows rows;
    rows.Clear("%Y");
    std::vector<size_t> chosen;
    for (int i = 0; i < 500; ++i) {
        const size_t member = engine() % std::size(names), item = engine() % std::size(names);
        rows.Add(Record("1", 1, names[member], COleDateTime(2010, 1, 1, 0, 0, 0), names[item]));
        chosen.push_back(member);
        chosen.push_back(item);
    }
    for (std::uint32_t row = 0; row < rows.GetCount(); ++row) {
        ASSERT_EQ(rows.Text(row, CInquiryRows::ColumnMember), names[chosen[2 * row]]) << row;
        ASSERT_EQ(rows.Text(row, CInquiryRows::ColumnItem), names[chosen[2 * row + 1]]) << row;
    }
}

TEST(InquiryRows, ClearForgetsTheRowsAndTakesTheNewPattern) {
    CInquiryRows rows;
    rows.Clear("%Y");
    rows.Add(Record("9", 2.25, "妈妈", COleDateTime(2011, 3, 4, 5, 0, 0), "利息"));
    EXPECT_EQ(rows.Text(0, CInquiryRows::ColumnDate), "2011");
    EXPECT_EQ(rows.Text(0, 5), "");
    EXPECT_EQ(rows.Text(0, -1), "");
    EXPECT_EQ(rows.Text(1, CInquiryRows::ColumnId), "");
    rows.Clear("%m-%d %H时");
    EXPECT_EQ(rows.GetCount(), 0U);
    EXPECT_EQ(rows.Text(0, CInquiryRows::ColumnId), "");
    EXPECT_EQ(rows.Add(Record("3", 1, "爷爷", COleDateTime(2011, 3, 4, 5, 0, 0), "其他")), 0U);
    EXPECT_EQ(rows.Text(0, CInquiryRows::ColumnDate), "03-04 05时");
    EXPECT_EQ(rows.Text(0, CInquiryRows::ColumnMember), "爷爷");
    EXPECT_EQ(rows.Text(0, CInquiryRows::ColumnItem), "其他");
}
