#include "bills/BillReader.h"
#include "bills/WorkbookSheet.h"

#include "tests/bills/BillWorkbooks.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using bill_files::Payment;
using bill_files::WorkbookStyle;

// Every kind of WeChat Pay row: paid by card, received, neutral, refunded, a service fee.
const std::vector<Payment> kPayments = {
    {"2024-03-05 12:30:45", "商户消费", "云膳过桥米线(传奇广场店)", "总共消费:28.16", "支出", "28.16",
     "交通银行信用卡(7449)", "支付成功", "4200002024030512304500001", "M0001"},
    {"2024-03-06 08:00:00", "转账", "李四", "", "收入", "1280.00", "", "已收钱",
     "1000050001202403060800000002", ""},
    {"2024-03-07 23:59:59", "零钱提现", "招商银行(1234)", "", "/", "100.00", "零钱", "提现已到账",
     "1000050001202403072359590003", ""},
    {"2024-03-08 00:00:01", "商户消费-退款", "某某超市", "洗衣液", "收入", "0.10", "零钱",
     "已全额退款", "4200002024030800000100004_1", "M0004"},
};

std::string Read(const std::string& bytes, BillFile& bill) {
    std::string error;
    EXPECT_TRUE(ReadBill(bytes, "账单.xlsx", bill, error)) << error;
    return error;
}

struct StyleCase {
    const char* name;
    WorkbookStyle style;
};

class BillWorkbookTest : public testing::TestWithParam<StyleCase> {};

// The workbook's rows are read as the CSV's: same kind, same lines, same fields, whether
// its texts are shared or inline and whether times and amounts are numbers or texts.
TEST_P(BillWorkbookTest, ReadsTheRowsOfTheCsv) {
    BillFile fromCsv;
    std::string error;
    ASSERT_TRUE(ReadBill(bill_files::WeChatCsv(kPayments), "账单.csv", fromCsv, error)) << error;
    BillFile fromWorkbook;
    Read(bill_files::WeChatXlsx(kPayments, GetParam().style), fromWorkbook);
    EXPECT_EQ(fromWorkbook.nKind, BillKind::WeChat);
    ASSERT_EQ(fromWorkbook.rows.size(), kPayments.size());
    for (std::size_t n = 0; n < kPayments.size(); ++n) {
        const BillRow& a = fromCsv.rows[n];
        const BillRow& b = fromWorkbook.rows[n];
        SCOPED_TRACE(kPayments[n].order);
        EXPECT_EQ(b.nLine, a.nLine);
        EXPECT_EQ(b.dtWhen.GetOleDate(), a.dtWhen.GetOleDate());
        EXPECT_EQ(b.nCents, a.nCents);
        EXPECT_EQ(b.nDirection, a.nDirection);
        EXPECT_EQ(std::vector<std::string_view>({b.strType, b.strCounterparty, b.strGoods, b.strMethod,
                                            b.strStatus, b.strOrder, b.strMerchantOrder,
                                            b.strRemark}),
                  std::vector<std::string_view>({a.strType, a.strCounterparty, a.strGoods, a.strMethod,
                                            a.strStatus, a.strOrder, a.strMerchantOrder,
                                            a.strRemark}));
    }
    EXPECT_EQ(fromWorkbook.rows[0].nLine, 18u); // below 15 lines of preamble, a title and the heading
}

INSTANTIATE_TEST_SUITE_P(
    Styles, BillWorkbookTest,
    testing::Values(StyleCase{"SharedTexts", {false, false}}, StyleCase{"InlineTexts", {true, false}},
                    StyleCase{"SharedNumbers", {false, true}}, StyleCase{"InlineNumbers", {true, true}}),
    [](const testing::TestParamInfo<StyleCase>& each) { return each.param.name; });

// A workbook part of our own making: the smallest workbook whose one sheet is `sheet`.
std::vector<std::pair<std::string, std::string>> Parts(const std::string& sheet) {
    const std::string relations = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    return {
        {"_rels/.rels", "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                        "relationships\"><Relationship Id=\"rId1\" Type=\"" + relations +
                            "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
        {"xl/workbook.xml", "<workbook xmlns:r=\"" + relations +
                                "\"><sheets><sheet name=\"a\" sheetId=\"1\" r:id=\"rId7\"/></sheets>"
                                "</workbook>"},
        {"xl/_rels/workbook.xml.rels",
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId7\" Type=\"" + relations +
             "/worksheet\" Target=\"sheets/first.xml\"/></Relationships>"},
        {"xl/sheets/first.xml", sheet},
    };
}

// Files that are not a readable WeChat Pay workbook are refused, the file named and the reason
// given in plain words; nothing is read from them.
TEST(BillWorkbookRefusal, NamesTheFileAndSaysWhy) {
    const std::string workbook = bill_files::WeChatXlsx(kPayments, {});
    // A byte changed inside the sheet's packed data: its checksum no longer agrees.
    std::string flipped = workbook;
    const std::size_t sheetAt = flipped.find("xl/worksheets/sheet1.xml") + 64;
    flipped[sheetAt] = static_cast<char>(flipped[sheetAt] ^ 0x55);
    const std::string notWorkbook = "“账单.xlsx”不是完好的 Excel 工作簿，读不出账单（";
    const std::string notWeChat =
        "“账单.xlsx”不是微信支付的账单，第一张工作表中没有微信支付账单的标题行。";
    const struct {
        const char* name;
        std::string bytes;
        std::string error;
    } cases[] = {
        {"cut short", workbook.substr(0, workbook.size() / 2), notWorkbook + "压缩包损坏）。"},
        {"bytes changed", flipped, notWorkbook + "压缩包损坏）。"},
        {"a zip of something else", bill_files::ZipOf({{"readme.txt", "你好"}}),
         notWorkbook + "其中没有工作簿）。"},
        {"broken sheet XML",
         bill_files::ZipOf(Parts("<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\">"
                                 "<is><t>交易时间</t></is></c></row></sheetData>")),
         notWorkbook + "其中的“xl/sheets/first.xml”不是完好的 XML）。"},
        {"a shared text that is not there",
         bill_files::ZipOf(Parts("<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>9</v>"
                                 "</c></row></sheetData></worksheet>")),
         notWorkbook + "共享文字“9”不存在）。"},
        {"an Alipay heading",
         bill_files::SheetXlsx({{"支付宝交易记录明细查询"},
                                {"交易时间", "交易分类", "交易对方", "对方账号", "商品说明", "收/支",
                                 "金额", "收/付款方式", "交易状态", "交易订单号", "商家订单号", "备注"},
                                {"2024-03-05 12:30:45", "餐饮美食", "米线", "", "", "支出", "28.16",
                                 "余额", "交易成功", "2024030522001400001", "", ""}}),
         notWeChat},
        {"a sheet of something else",
         bill_files::SheetXlsx({{"日期", "金额", "成员"}, {"2024-03-05", "28.16", "妈妈"}}), notWeChat},
        {"an empty sheet", bill_files::SheetXlsx({}), notWeChat},
    };
    for (const auto& each : cases) {
        BillFile bill;
        bill.rows.resize(1);
        std::string error;
        EXPECT_FALSE(ReadBill(each.bytes, "账单.xlsx", bill, error)) << each.name;
        EXPECT_EQ(error, each.error) << each.name;
        EXPECT_EQ(bill.rows.size(), 1u) << each.name; // what the caller had is kept
    }
}

// The sheet is found through the workbook's own list and its relationships, its cells by
// their references (gaps left empty), rows by their numbers, and a 1904 workbook's dates
// from 1904.
TEST(BillWorkbookSheet, FollowsTheWorkbooksOwnReferences) {
    std::vector<std::pair<std::string, std::string>> parts = Parts(
        "<worksheet><sheetData><row r=\"3\"><c r=\"C3\" t=\"inlineStr\"><is><r><t>云膳</t></r>"
        "<r><t xml:space=\"preserve\">米线 </t></r><rPh><t>yun</t></rPh></is></c>"
        "<c r=\"E3\"><v>1.0000000000000001E-2</v></c><c><v>12345678901234567890123</v></c></row>"
        "<row r=\"9\"><c r=\"B9\"><v>45356.5</v></c></row></sheetData></worksheet>");
    parts[1].second.replace(parts[1].second.find("<sheets>"), 0, "<workbookPr date1904=\"1\"/>");
    CWorkbookSheet sheet;
    std::string error;
    ASSERT_TRUE(sheet.Read(bill_files::ZipOf(parts), error)) << error;
    ASSERT_EQ(sheet.Rows().size(), 2u);
    EXPECT_EQ(sheet.Rows()[0].nRow, 3u);
    EXPECT_EQ(sheet.Rows()[0].cells,
              (std::vector<std::string>{"", "", "云膳米线 ", "", "0.01", "12345678901234567890123"}));
    EXPECT_EQ(sheet.Rows()[0].numbers, (std::vector<bool>{false, false, false, false, true, true}));
    EXPECT_EQ(sheet.Rows()[1].nRow, 9u);
    EXPECT_TRUE(sheet.Dates1904());
}

} // namespace

namespace {

// A row of inline texts, a number where `serial` stands.
std::string InlineRow(int nRow, const std::vector<std::string>& cells, const std::string& serial) {
    std::string xml = "<row r=\"" + std::to_string(nRow) + "\">";
    for (const std::string& cell : cells)
        xml += cell == serial ? "<c><v>" + cell + "</v></c>"
                              : "<c t=\"inlineStr\"><is><t>" + cell + "</t></is></c>";
    return xml + "</row>";
}

struct DayCountCase {
    const char* name;
    const char* workbookPr; // put before the workbook's sheets
    const char* serial;     // the payment's time as the workbook stores it
};

class BillWorkbookDayCount : public testing::TestWithParam<DayCountCase> {};

// A payment's time stored as a day number is counted from the day the workbook declares:
// the same moment is 4 years and a day fewer from 1904 than from 1900.
TEST_P(BillWorkbookDayCount, TimesCountFromTheWorkbooksFirstDay) {
    const std::string serial = GetParam().serial;
    std::vector<std::pair<std::string, std::string>> parts = Parts(
        "<worksheet><sheetData>" +
        InlineRow(1, {"交易时间", "交易类型", "交易对方", "商品", "收/支", "金额(元)", "支付方式",
                      "当前状态", "交易单号", "商户单号", "备注"}, serial) +
        InlineRow(2, {serial, "商户消费", "云膳过桥米线", "米线", "支出", "¥28.16", "零钱", "支付成功",
                      "W1", "M1", "/"}, serial) +
        "</sheetData></worksheet>");
    parts[1].second.replace(parts[1].second.find("<sheets>"), 0, GetParam().workbookPr);
    BillFile bill;
    Read(bill_files::ZipOf(parts), bill);
    ASSERT_EQ(bill.rows.size(), 1u);
    const COleDateTime& when = bill.rows[0].dtWhen;
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", when.GetYear(), when.GetMonth(),
                  when.GetDay(), when.GetHour(), when.GetMinute(), when.GetSecond());
    EXPECT_EQ(std::string(text), "2024-03-05 12:30:45");
}

INSTANTIATE_TEST_SUITE_P(
    Workbooks, BillWorkbookDayCount,
    testing::Values(DayCountCase{"From1904", "<workbookPr date1904=\"1\"/>", "43894.521354166667"},
                    DayCountCase{"From1904True", "<workbookPr date1904=\"true\"/>", "43894.521354166667"},
                    DayCountCase{"From1900Said", "<workbookPr date1904=\"0\"/>", "45356.521354166667"},
                    DayCountCase{"From1900", "", "45356.521354166667"}),
    [](const testing::TestParamInfo<DayCountCase>& each) { return each.param.name; });

} // namespace
