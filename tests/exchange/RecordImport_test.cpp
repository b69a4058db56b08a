#include "exchange/RecordImport.h"

#include "data/ADODatabase.h"
#include "exchange/CsvReader.h"
#include "exchange/ImportFile.h"
#include "exchange/LedgerExport.h"
#include "exchange/LedgerImport.h"
#include "exchange/RecordExport.h"
#include "exchange/RecordReader.h"
#include "exchange/RecordTable.h"
#include "exchange/RecordText.h"
#include "tests/support/TestDb.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <cmath>
#include <fstream>

namespace {

using Rows = std::vector<std::vector<std::string>>;
using testing_support::TestDb;

std::string Gb18030(const std::string& utf8) {
    iconv_t cd = iconv_open("GB18030", "UTF-8");
    std::string out(utf8.size() * 2 + 8, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* to = out.data();
    size_t outLeft = out.size();
    iconv(cd, &in, &inLeft, &to, &outLeft);
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

class RecordImportTest : public ::testing::Test {
protected:
    RecordImportTest() {
        m_connection.SetConnectionString(TestDb::kConnectionString);
        EXPECT_TRUE(m_connection.Open());
    }

    ImportSummary Import(const std::string& bytes, ImportOptions options,
                         const ImportProgress& progress = nullptr) {
        CImportFile file;
        std::string error;
        std::vector<std::string> header;
        if (!file.LoadBytes(bytes, error) || !file.ReadHeader(header, error)) {
            ImportSummary summary;
            summary.strError = error;
            return summary;
        }
        m_encoding = file.GetEncoding();
        return ImportRecords(m_connection, file, MapHeader(header), options, progress);
    }
    Rows Pay() const {
        return m_db.Query(
            "select 支出人员, 支出金额, 支出日期, 支出项目, 备注 from normalPay order by 编号");
    }
    Rows Income() const {
        return m_db.Query(
            "select 收入人员, 收入金额, 收入日期, 收入项目, 备注 from normalIncome order by 编号");
    }
    static std::vector<std::string> Reasons(const ImportSummary& summary) {
        std::vector<std::string> reasons;
        for (const BadLine& line : summary.badLines)
            reasons.push_back(std::to_string(line.nLine) + " " + line.strReason);
        return reasons;
    }

    TestDb m_db;
    CADODatabase m_connection;
    TextEncoding m_encoding = TextEncoding::Utf8;
};

constexpr ImportOptions kExpense{ImportKind::Expense, false, false};
constexpr ImportOptions kByColumn{ImportKind::ByColumn, false, false};

TEST_F(RecordImportTest, GoodLinesAreStoredBadOnesReportedWithTheirReasons) {
    const ImportSummary summary = Import("日期,金额,成员,类别,备注\n"
                                         "2024-01-02,12.5,爸爸,餐饮,午饭\n"
                                         "2024/01/03 08:00,\"1,234.00\",妈妈,交通,\n"
                                         "昨天,1,爸爸,餐饮,\n"
                                         "2024-01-04,¥3,陌生人,餐饮,\n"
                                         "2024-01-04,3,爸爸,旅游,\n"
                                         "2024-01-04,0,爸爸,餐饮,\n"
                                         "2024-01-04,3,,餐饮,\n"
                                         "2024-01-05,-7,孩子,其他支出\n", // short row: no note
                                         kExpense);
    EXPECT_EQ(summary.strError, "");
    EXPECT_EQ(summary.nImported, 3u);
    EXPECT_EQ(summary.nDuplicates, 0u);
    EXPECT_EQ(Reasons(summary), (std::vector<std::string>{
                                    "4 日期格式不对",
                                    "5 成员“陌生人”不在家庭成员中",
                                    "6 类别“旅游”不在支出类型中",
                                    "7 金额不能为0",
                                    "8 成员为空",
                                }));
    EXPECT_EQ(summary.badLines[0].fields,
              (std::vector<std::string>{"昨天", "1", "爸爸", "餐饮", ""}));
    EXPECT_EQ(Pay(), (Rows{{"爸爸", "12.5", "2024-01-02 00:00:00", "餐饮", "午饭"},
                           {"妈妈", "1234.0", "2024-01-03 08:00:00", "交通", TestDb::kNull},
                           {"孩子", "-7.0", "2024-01-05 00:00:00", "其他支出", TestDb::kNull}}));
    EXPECT_TRUE(Income().empty());
    EXPECT_EQ(ImportSummaryText(summary), "导入完成！导入 3 条记录，跳过重复 0 条，错误 5 行。");
}

TEST_F(RecordImportTest, DuplicatesOfStoredRecordsAndEarlierLinesAreSkippedUnlessKept) {
    m_db.Exec("INSERT INTO normalPay (支出人员, 支出金额, 支出日期, 支出项目, 备注) VALUES "
              "('爸爸', 12.5, '2024-01-02 00:00:00', '餐饮', '午饭')");
    const std::string file = "日期,金额,成员,类别,备注\n"
                             "2024-01-02 00:00:00,12.5,爸爸,餐饮,午饭\n" // stored already
                             "2024-01-02,12.5,爸爸,餐饮,晚饭\n"          // another note
                             "2024-01-02,12.5,爸爸,餐饮,晚饭\n";         // an earlier line
    ImportSummary summary = Import(file, kExpense);
    EXPECT_EQ(summary.nImported, 1u);
    EXPECT_EQ(summary.nDuplicates, 2u);
    EXPECT_EQ(Pay().size(), 2u);
    summary = Import(file, ImportOptions{ImportKind::Expense, false, true});
    EXPECT_EQ(summary.nImported, 3u);
    EXPECT_EQ(summary.nDuplicates, 0u);
    EXPECT_EQ(Pay().size(), 5u);
    // The same line as an income is no duplicate of an expense.
    EXPECT_EQ(Import(file, ImportOptions{ImportKind::Income, true, false}).nImported, 2u);
}

TEST_F(RecordImportTest, MissingEntriesAreAddedAtTheEndOfTheirListsWhenAsked) {
    const std::string file = "date;amount;member;category\n"
                             "2024-01-02;5;阿姨;旅游\n"
                             "2024-01-03;6;阿姨;旅游\n";
    EXPECT_EQ(Import(file, kExpense).badLines.size(), 2u);
    EXPECT_TRUE(Pay().empty());
    const ImportSummary summary = Import(file, ImportOptions{ImportKind::Expense, true, false});
    EXPECT_EQ(summary.nImported, 2u);
    EXPECT_EQ(m_db.Scalar("select 类型 from 家庭成员 order by ID desc limit 1"), "阿姨");
    EXPECT_EQ(m_db.Scalar("select count(*) from 家庭成员 where 类型 = '阿姨'"), "1");
    EXPECT_EQ(m_db.Scalar("select 类型 from 支出类型 order by ID desc limit 1"), "旅游");
    EXPECT_EQ(m_db.Scalar("select count(*) from 收入类型 where 类型 = '旅游'"), "0");
}

TEST_F(RecordImportTest, BothKindsByColumnOrBySign) {
    ImportSummary summary = Import("日期,金额,成员,类别,收支\n"
                                   "2024-01-02,100,爸爸,工资,收入\n"
                                   "2024-01-02,30,爸爸,餐饮, 支出 \n"
                                   "2024-01-02,30,爸爸,餐饮,转账\n",
                                   kByColumn);
    EXPECT_EQ(summary.nImported, 2u);
    EXPECT_EQ(Reasons(summary), std::vector<std::string>{"4 收支应为收入或支出"});
    summary = Import("日期,金额,成员,类别\n"
                     "2024-02-02,-12.5,妈妈,交通\n"
                     "2024-02-03,8,妈妈,奖金\n"
                     "2024-02-04,-8,妈妈,奖金\n", // an expense: 奖金 is no expense category
                     kByColumn);
    EXPECT_EQ(summary.nImported, 2u);
    EXPECT_EQ(Reasons(summary), std::vector<std::string>{"4 类别“奖金”不在支出类型中"});
    EXPECT_EQ(Income(), (Rows{{"爸爸", "100.0", "2024-01-02 00:00:00", "工资", TestDb::kNull},
                              {"妈妈", "8.0", "2024-02-03 00:00:00", "奖金", TestDb::kNull}}));
    EXPECT_EQ(Pay(), (Rows{{"爸爸", "30.0", "2024-01-02 00:00:00", "餐饮", TestDb::kNull},
                           {"妈妈", "12.5", "2024-02-02 00:00:00", "交通", TestDb::kNull}}));
}

TEST_F(RecordImportTest, Gb18030FileWithChineseMembers) {
    m_db.Exec("INSERT INTO 家庭成员 (类型) VALUES ('外婆')");
    const std::string file = Gb18030("日期,金额,成员,类别,备注\r\n"
                                     "2024年3月8日,88.80,外婆,餐饮,买菜（早市）\r\n"
                                     "2024年3月9日,1,孩子,交通,公交\r\n");
    ASSERT_NE(file.find("\xCD\xE2\xC6\xC5"), std::string::npos); // 外婆 in GBK
    const ImportSummary summary = Import(file, kExpense);
    EXPECT_EQ(m_encoding, TextEncoding::Gb18030);
    EXPECT_EQ(summary.strError, "");
    EXPECT_EQ(summary.nImported, 2u);
    EXPECT_EQ(Pay(), (Rows{{"外婆", "88.8", "2024-03-08 00:00:00", "餐饮", "买菜（早市）"},
                           {"孩子", "1.0", "2024-03-09 00:00:00", "交通", "公交"}}));
}

TEST_F(RecordImportTest, BadFilesWriteNothing) {
    const struct {
        std::string bytes;
        const char* error;
    } cases[] = {
        {"", "文件是空的"},
        {"\xEF\xBB\xBF", "文件是空的"},
        {"日期,金额,成员,类别\n", "文件中只有标题行，没有记录"},
        {"日期,金额,成员,类别\n2024-01-01,1,爸爸,餐饮\n2024-01-02,\"2,爸爸,餐饮\n",
         "第 3 行的引号没有结束"},
        {"日期,金额\n2024-01-01,1\n", "找不到成员、类别列"},
        {std::string(10000, ',') + "\n" + std::string(10000, ',') + "\n",
         "找不到日期、金额、成员、类别列"},
    };
    for (const auto& c : cases) {
        const ImportSummary summary = Import(c.bytes, kExpense);
        EXPECT_EQ(summary.strError, c.error) << c.bytes.substr(0, 40);
        EXPECT_EQ(summary.nImported, 0u);
        EXPECT_TRUE(summary.badLines.empty());
        EXPECT_EQ(ImportSummaryText(summary).rfind("导入失败！", 0), 0u);
    }
    EXPECT_TRUE(Pay().empty());
}

TEST_F(RecordImportTest, InvalidUtf8InAUtf8FileMarksItsLinesBad) {
    const ImportSummary summary = Import("\xEF\xBB\xBF日期,金额,成员,类别\n"
                                         "2024-01-01,1,爸爸,餐饮\n"
                                         "2024-01-01,2,\xB0\xD6\xB0\xD6,餐饮\n",
                                         kExpense);
    EXPECT_EQ(m_encoding, TextEncoding::Utf8); // declared by its mark
    EXPECT_EQ(summary.nImported, 1u);
    EXPECT_EQ(Reasons(summary), std::vector<std::string>{"3 不是有效的 UTF-8 文本"});
}

TEST_F(RecordImportTest, CancelRollsEverythingBack) {
    std::string file = "日期,金额,成员,类别\n";
    for (int i = 0; i < 5000; ++i)
        file += "2024-01-01 00:00:" + std::to_string(i % 60) + "," + std::to_string(i + 1) +
                ",爸爸,餐饮\n";
    std::vector<double> seen;
    const ImportSummary summary =
        Import(file, ImportOptions{ImportKind::Expense, true, false}, [&seen](double done) {
            seen.push_back(done);
            return seen.size() < 3;
        });
    EXPECT_TRUE(summary.bCancelled);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_GT(seen[0], 0.0);
    EXPECT_LT(seen[0], seen[1]);
    EXPECT_EQ(summary.nImported, 0u);
    EXPECT_TRUE(Pay().empty());
    EXPECT_EQ(ImportSummaryText(summary), "导入已取消，没有导入任何记录。");

    seen.clear();
    EXPECT_EQ(Import(file, kExpense,
                     [&seen](double done) {
                         seen.push_back(done);
                         return true;
                     })
                  .nImported,
              5000u);
    EXPECT_EQ(seen.back(), 1.0);
    EXPECT_EQ(m_db.Scalar("select count(*) from normalPay"), "5000");
}

TEST_F(RecordImportTest, BadLinesAreSavedWithTheirReasons) {
    const ImportSummary summary = Import("日期,金额,成员,类别\n"
                                         "x,1,爸爸,餐饮\n"
                                         "2024-01-01,\"1,5\",爸爸,\"餐,饮\"\n",
                                         kExpense);
    const auto path = m_db.Directory() / "bad.csv";
    std::string error;
    ASSERT_TRUE(SaveBadLines(path, summary.badLines, error)) << error;
    std::ifstream in(path, std::ios::binary);
    const std::string saved{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(saved, "\xEF\xBB\xBF行号,原因\r\n"
                     "2,日期格式不对,x,1,爸爸,餐饮\r\n"
                     "3,金额格式不对,2024-01-01,\"1,5\",爸爸,\"餐,饮\"\r\n");
}

TEST_F(RecordImportTest, ExportThenImportIntoAFreshLedgerGivesEveryRecordBack) {
    const char* notes[] = {"say \"hi\", then\nleave", "a,b",       "😀 emoji",
                           "  leading spaces",        "trailing ", "\"",
                           "line\r\nbreak",           "逗号，全角"};
    for (int i = 0; i < 8; ++i)
        m_db.Exec("INSERT INTO normalPay (支出人员, 支出金额, 支出日期, 支出项目, 备注) VALUES "
                  "('妈妈', " +
                  std::to_string(i * 1000.01 + 0.07) + ", '2023-0" + std::to_string(i + 1) + "-1" +
                  std::to_string(i) + " 00:00:00', '餐饮', '" + notes[i] + "')");
    m_db.Exec("INSERT INTO normalIncome (收入人员, 收入金额, 收入日期, 收入项目, 备注) VALUES "
              "('爸爸', 1234.56, '2010-11-17 23:59:59', '工资', NULL),"
              "('孩子', -0.01, '2000-01-01 00:00:00', '奖金', '压岁钱')");
    std::string error;
    ASSERT_TRUE(ExportLedger(TestDb::kConnectionString, m_db.Directory() / "out", false, error))
        << error;

    TestDb fresh;
    const std::string connection = LedgerConnectionText(
        TestDb::OnServer() ? fresh.Uri() : (fresh.Directory() / "data.mdb").string());
    for (const auto& [name, kind] : {std::pair{"out-收入.csv", ImportKind::Income},
                                     std::pair{"out-支出.csv", ImportKind::Expense}}) {
        const ImportSummary summary = ImportLedgerFile(connection, m_db.Directory() / name,
                                                       ImportOptions{kind, false, false});
        EXPECT_EQ(summary.strError, "");
        EXPECT_TRUE(summary.badLines.empty()) << summary.badLines.front().strReason;
    }
    EXPECT_EQ(fresh.Scalar("select count(*) from normalPay"), "8");
    EXPECT_EQ(fresh.Scalar("select count(*) from normalIncome"), "2");
    for (const char* table : {"normalIncome", "normalPay"}) {
        const std::string all = std::string("select * from ") + table + " order by 编号";
        EXPECT_EQ(fresh.Query(all), m_db.Query(all)) << table;
        // The very bytes and kinds the engine keeps.
        const std::string amount = table[6] == 'I' ? "收入金额" : "支出金额";
        const std::string hex =
            TestDb::OnServer()
                ? "select encode(convert_to(备注, 'UTF8'), 'hex'), pg_typeof(备注), pg_typeof(" +
                      amount + ") from " + table + " order by 编号"
                : "select hex(备注), typeof(备注), typeof(" + amount + ") from " + table;
        EXPECT_EQ(fresh.Query(hex), m_db.Query(hex)) << table;
    }
}

// A record's account goes out in the 账户 column and comes back as the account of that name,
// stopped ones too; a name the ledger has no account for is refused, not made up.
TEST_F(RecordImportTest, ExportThenImportKeepsEachRecordsAccount) {
    const char* const accounts = "INSERT INTO accountList (名称, 种类, 期初余额, 期初日期, 顺序, 停用) "
                                 "VALUES ('工资卡', '储蓄卡', 0, '2024-01-01', 2, 0), "
                                 "('旧卡', '储蓄卡', 0, '2024-01-01', 3, 1)";
    m_db.Exec(accounts);
    m_db.Exec("INSERT INTO normalPay (支出人员, 支出金额, 支出日期, 支出项目) VALUES "
              "('爸爸', 20, '2024-03-02 10:00:00', '餐饮'), "
              "('妈妈', 30.25, '2024-03-03 10:00:00', '交通'), "
              "('爸爸', 7, '2024-03-04 10:00:00', '餐饮')");
    m_db.Exec("INSERT INTO accountLink (表, 编号, 账户) SELECT 'normalPay', 编号, "
              "CASE WHEN 支出金额 = 20 THEN 2 ELSE 3 END FROM normalPay WHERE 支出金额 <> 7");
    std::string error;
    ASSERT_TRUE(ExportLedger(TestDb::kConnectionString, m_db.Directory() / "out", false, error))
        << error;
    // The income file has no account to carry, so it is what it always was.
    std::ifstream income(m_db.Directory() / "out-收入.csv", std::ios::binary);
    std::string incomeHeading;
    std::getline(income, incomeHeading);
    EXPECT_EQ(incomeHeading, "\xEF\xBB\xBF编号,金额,成员,日期,类别,备注\r");

    TestDb fresh;
    fresh.Exec(accounts);
    const std::string connection = LedgerConnectionText(
        TestDb::OnServer() ? fresh.Uri() : (fresh.Directory() / "data.mdb").string());
    const ImportSummary summary = ImportLedgerFile(connection, m_db.Directory() / "out-支出.csv",
                                                   ImportOptions{ImportKind::Expense, false, false});
    EXPECT_EQ(summary.strError, "");
    EXPECT_EQ(summary.nImported, 3u);
    const std::string linked = "SELECT p.支出金额, a.名称 FROM normalPay p "
                               "LEFT JOIN accountLink l ON l.表 = 'normalPay' AND l.编号 = p.编号 "
                               "LEFT JOIN accountList a ON a.ID = l.账户 ORDER BY p.支出日期";
    EXPECT_EQ(fresh.Query(linked), (Rows{{"20.0", "工资卡"}, {"30.25", "旧卡"},
                                         {"7.0", TestDb::kNull}}));
    EXPECT_EQ(fresh.Query(linked), m_db.Query(linked));

    const ImportSummary refused = Import("日期,金额,成员,类别,账户\n"
                                         "2024-05-01,1,爸爸,餐饮,没有的卡\n"
                                         "2024-05-02,2,爸爸,餐饮,（不指定）\n"
                                         "2024-05-03,3,爸爸,餐饮,工资卡\n",
                                         kExpense);
    EXPECT_EQ(Reasons(refused), (std::vector<std::string>{"2 账户“没有的卡”不存在"}));
    EXPECT_EQ(m_db.Scalar("SELECT count(*) FROM accountLink l, normalPay p WHERE l.表 = "
                          "'normalPay' AND l.编号 = p.编号 AND p.支出金额 > 1"),
              "3"); // the two exported links and 工资卡's new one; （不指定） links nothing
}

// The import takes what the amount box takes, names without invisible characters, and names
// the line of every refusal, whatever ends the file's lines.
TEST_F(RecordImportTest, RefusalsNameTheirLineAndNamesAreMatchedAsSeen) {
    const std::string longNote(kMaxCsvField + 1, 'n');
    const std::string longName(300, 'm');
    for (const char* end : {"\n", "\r", "\r\n"}) {
        SCOPED_TRACE(int(end[0]) + int(end[1]));
        const std::string e = end;
        const ImportSummary summary =
            Import("日期,金额,成员,类别,备注" + e +              // 1
                       "2024-01-02,0.005,爸爸,餐饮," + e +         // 2
                       "2024-01-02,12.345,爸爸,餐饮," + e +        // 3
                       "2024-01-02,100000000000000000000000,爸爸,餐饮," + e + // 4
                       "2024-01-02,1,爸爸,餐饮,\"a" + std::string(1, '\0') + "b\"" + e + // 5
                       "2024-01-02,2,爸爸,餐饮," + longNote + e + // 6
                       "2024-01-02,3," + longName + ",餐饮," + e + // 7
                       "2024-01-02,4,爸爸," + longName + "," + e + // 8
                       "2024-01-02,5,\xEF\xBB\xBF爸爸,餐\xE2\x80\x8B饮,可见" + e + // 9
                       "2024-01-02,12.50,妈\xE2\x80\x8D妈,交通,\"两" + e + "行\"" + e + // 10-11
                       "x,1,爸爸,餐饮," + e,                       // 12
                   ImportOptions{ImportKind::Expense, true, true});
            EXPECT_EQ(summary.strError, "");
        EXPECT_EQ(Reasons(summary), (std::vector<std::string>{
                                        "2 金额最多两位小数",
                                        "3 金额最多两位小数",
                                        "4 金额太大",
                                        "5 含有空字符（NUL）",
                                        "6 有一栏超过 64 KB",
                                        "7 成员名称太长",
                                        "8 类别名称太长",
                                        "12 日期格式不对",
                                    }));
        EXPECT_EQ(Pay(), (Rows{{"爸爸", "5.0", "2024-01-02 00:00:00", "餐饮", "可见"},
                               {"妈妈", "12.5", "2024-01-02 00:00:00", "交通", "两" + e + "行"}}));
        EXPECT_EQ(m_db.Scalar("select count(*) from 家庭成员"), "3"); // no second 爸爸
        EXPECT_EQ(m_db.Scalar("select count(*) from 支出类型 where 类型 like '餐%'"), "1");
        m_db.Exec("delete from normalPay");
    }
}

// 100000 went out as "1e+05", which the import refused; every amount from a cent to a
// trillion now comes back to the last bit, and a note a spreadsheet would run as a formula
// goes out guarded and comes back as it was.
TEST_F(RecordImportTest, ExportedAmountsAndFormulaLikeNotesComeBackExactly) {
    std::vector<double> amounts;
    for (double power = 0.01; power <= 1e12; power *= 10)
        for (const double digit : {1.0, 3.0, 9.99})
            amounts.push_back(std::round(power * digit * 100) / 100);
    amounts.insert(amounts.end(), {100000, 300000, 1000000, 123456789.01, 999999999999.99});
    const char* notes[] = {"=HYPERLINK(\"http://x\",\"点我\")", "+1", "-2", "@A1", "\tx", "'=y", "'"};
    for (size_t i = 0; i < amounts.size(); ++i) {
        std::string note = notes[i % std::size(notes)];
        for (size_t quote = note.find('\''); quote != std::string::npos;
             quote = note.find('\'', quote + 2))
            note.insert(quote, "'");
        m_db.Exec("INSERT INTO normalPay (支出人员, 支出金额, 支出日期, 支出项目, 备注) VALUES "
                  "('妈妈', " + FormatAmount(amounts[i]) + ", '2023-01-01 00:00:00', '餐饮', '" +
                  note + "')");
    }
    std::string error;
    ASSERT_TRUE(ExportLedger(TestDb::kConnectionString, m_db.Directory() / "out", false, error))
        << error;
    std::ifstream in(m_db.Directory() / "out-支出.csv", std::ios::binary);
    const std::string csv{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(csv.find("e+"), std::string::npos);
    EXPECT_NE(csv.find("\"'=HYPERLINK"), std::string::npos) << csv.substr(0, 300);
    EXPECT_NE(csv.find(",100000,"), std::string::npos);

    TestDb fresh;
    const std::string connection = LedgerConnectionText(
        TestDb::OnServer() ? fresh.Uri() : (fresh.Directory() / "data.mdb").string());
    const ImportSummary summary = ImportLedgerFile(connection, m_db.Directory() / "out-支出.csv",
                                                   ImportOptions{ImportKind::Expense, false, true});
    EXPECT_EQ(summary.strError, "");
    EXPECT_EQ(Reasons(summary), std::vector<std::string>{});
    const std::string all = "select 支出金额, 备注 from normalPay order by 编号";
    EXPECT_EQ(fresh.Query(all), m_db.Query(all));
    EXPECT_EQ(fresh.Scalar("select count(*) from normalPay"), std::to_string(amounts.size()));
}

} // namespace
