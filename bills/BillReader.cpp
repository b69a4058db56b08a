#include "bills/BillReader.h"

#include "bills/BillFields.h"
#include "bills/WorkbookSheet.h"
#include "exchange/CsvReader.h"
#include "exchange/TextEncoding.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

const char* BillSourceName(BillKind kind) {
    return kind == BillKind::WeChat ? "微信" : kind == BillKind::Bank ? "银行" : "支付宝";
}

namespace {

// The columns a bill row is read from, each known under the names the services have
// given it over the years.
enum Column {
    Time,
    Type,
    Counterparty,
    Goods,
    Direction,
    Amount,
    Method,
    Status,
    Order,
    MerchantOrder,
    Remark,
    FundStatus,
    kColumns
};

const std::array<std::vector<std::string>, kColumns> kNames = {{
    {"交易时间", "交易创建时间"},
    {"交易分类", "交易类型", "类型"},
    {"交易对方"},
    {"商品说明", "商品", "商品名称"},
    {"收/支"},
    {"金额", "金额(元)", "金额（元）"},
    {"收/付款方式", "支付方式"},
    {"交易状态", "当前状态"},
    {"交易订单号", "交易单号", "交易号"},
    {"商家订单号", "商户单号"},
    {"备注"},
    {"资金状态"},
}};

// The cents, more than 0: the bills give the direction in a column of its own.
bool ParseAmount(std::string_view text, std::int64_t& nCents) {
    if (!ParseBillCents(text, nCents))
        return false;
    if (nCents < 0)
        nCents = -nCents;
    return true;
}

BillDirection DirectionOf(std::string_view strDirection, std::string_view strFundStatus) {
    const std::string_view text = strDirection.empty() ? strFundStatus : strDirection;
    if (text == "支出" || text == "已支出")
        return BillDirection::Out;
    if (text == "收入" || text == "已收入")
        return BillDirection::In;
    return BillDirection::Neutral;
}

struct Layout {
    std::array<int, kColumns> columns;
    std::size_t nHeaderLine = 0; // from 1
    std::size_t nOffset = 0;     // where the heading row begins in the text
    BillKind nKind = BillKind::Alipay;
};

// The columns of a heading row; false when it is not a bill's.
bool ReadHeading(const std::vector<std::string>& fields, Layout& layout) {
    layout.columns.fill(-1);
    for (int nField = 0; nField < static_cast<int>(fields.size()); ++nField) {
        const std::string name = CleanBillField(fields[nField]);
        for (int nColumn = 0; nColumn < kColumns; ++nColumn)
            for (const std::string& known : kNames[nColumn])
                if (name == known && layout.columns[nColumn] < 0)
                    layout.columns[nColumn] = nField;
    }
    const auto& c = layout.columns;
    return c[Time] >= 0 && c[Counterparty] >= 0 && c[Amount] >= 0 &&
           (c[Direction] >= 0 || c[FundStatus] >= 0);
}

// WeChat Pay names its columns its own way (交易单号, 当前状态, 支付方式).
bool IsWeChatHeading(const std::vector<std::string>& fields, const Layout& layout) {
    const auto named = [&](Column column, const char* szName) {
        return layout.columns[column] >= 0 &&
               CleanBillField(fields[layout.columns[column]]) == szName;
    };
    return named(Order, "交易单号") || named(Status, "当前状态") || named(Method, "支付方式");
}

// The heading row, found by its fields, not by its line: the services' preambles differ
// in length from one version to the next.
bool FindHeading(const std::string& text, Layout& layout) {
    std::size_t nLine = 0;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        ++nLine;
        const std::string_view line(text.data() + at, end - at);
        if (line.find("交易对方") != std::string_view::npos &&
            line.find("金额") != std::string_view::npos) {
            CCsvReader reader(line, ',');
            CsvRow row;
            if (reader.Next(row) && ReadHeading(row.fields, layout)) {
                layout.nHeaderLine = nLine;
                layout.nOffset = at;
                const std::string_view before(text.data(), at);
                const bool bWeChat = IsWeChatHeading(row.fields, layout) ||
                                     before.find("微信") != std::string_view::npos;
                layout.nKind = bWeChat ? BillKind::WeChat : BillKind::Alipay;
                return true;
            }
        }
        at = end + 1;
    }
    return false;
}

std::string_view Field(const std::vector<std::string_view>& fields, const Layout& layout,
                       Column column) {
    const int nField = layout.columns[column];
    return nField >= 0 && nField < static_cast<int>(fields.size()) ? TrimBillField(fields[nField])
                                                                    : std::string_view();
}

std::string LineText(std::size_t nLine) {
    return "第 " + std::to_string(nLine) + " 行";
}

enum class RowRead { Read, End, Bad };

// One row under the heading, read into `row`; End at the notes that close a bill.
RowRead ReadRow(const std::vector<std::string_view>& fields, std::size_t nLine,
                const Layout& layout, const std::string& strFile, BillFile& bill, BillRow& row,
                std::string& strError) {
    const std::string_view when = Field(fields, layout, Time);
    row.nLine = nLine;
    if (!ParseBillTime(when, row.dtWhen)) {
        // The services close their bills with a dashed line and a few notes.
        const std::string_view first = fields.empty() ? "" : TrimBillField(fields[0]);
        if (first.empty() || first[0] == '-' || first[0] == '#')
            return RowRead::End;
        strError = strFile + LineText(nLine) + "的交易时间读不出：" + std::string(when);
        return RowRead::Bad;
    }
    const std::string_view amount = Field(fields, layout, Amount);
    if (!ParseAmount(amount, row.nCents)) {
        strError = strFile + LineText(nLine) + "的金额读不出：" + std::string(amount);
        return RowRead::Bad;
    }
    row.strType = bill.Keep(Field(fields, layout, Type));
    row.strCounterparty = bill.Keep(Field(fields, layout, Counterparty));
    row.strGoods = bill.Keep(Field(fields, layout, Goods));
    row.nDirection = DirectionOf(Field(fields, layout, Direction), Field(fields, layout, FundStatus));
    row.strMethod = bill.Keep(Field(fields, layout, Method));
    row.strStatus = bill.Keep(Field(fields, layout, Status));
    row.strOrder = bill.Keep(Field(fields, layout, Order));
    row.strMerchantOrder = bill.Keep(Field(fields, layout, MerchantOrder));
    row.strRemark = bill.Keep(Field(fields, layout, Remark));
    return RowRead::Read;
}

// A date cell of a workbook (days since 1900, or 1904) as a bill writes times.
std::string SerialTime(const std::string& strSerial, bool b1904) {
    char* end = nullptr;
    const double dSerial = std::strtod(strSerial.c_str(), &end);
    const COleDateTime when(dSerial + (b1904 ? 1462 : 0));
    if (end == strSerial.c_str() || when.GetYear() < 0)
        return strSerial;
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", when.GetYear(),
                  when.GetMonth(), when.GetDay(), when.GetHour(), when.GetMinute(),
                  when.GetSecond());
    return text;
}

// A WeChat Pay bill downloaded as a workbook: the rows of the CSV, in its first sheet.
bool ReadWorkbookBill(std::string_view bytes, const std::string& strFile, BillFile& bill,
                      std::string& strError) {
    CWorkbookSheet sheet;
    std::string strWhy;
    if (!sheet.Read(bytes, strWhy)) {
        strError = strFile + "不是完好的 Excel 工作簿，读不出账单（" + strWhy + "）。";
        return false;
    }
    const std::vector<CWorkbookSheet::Row>& rows = sheet.Rows();
    Layout layout;
    std::size_t nAt = 0;
    while (nAt < rows.size() &&
           !(ReadHeading(rows[nAt].cells, layout) && IsWeChatHeading(rows[nAt].cells, layout)))
        ++nAt;
    if (nAt == rows.size()) {
        strError = strFile + "不是微信支付的账单，第一张工作表中没有微信支付账单的标题行。";
        return false;
    }
    BillFile read;
    read.nKind = BillKind::WeChat;
    for (++nAt; nAt < rows.size(); ++nAt) {
        std::vector<std::string> fields = rows[nAt].cells;
        const auto nTime = static_cast<std::size_t>(layout.columns[Time]);
        if (nTime < fields.size() && rows[nAt].numbers[nTime])
            fields[nTime] = SerialTime(fields[nTime], sheet.Dates1904());
        BillRow row;
        const std::vector<std::string_view> views(fields.begin(), fields.end());
        const RowRead result = ReadRow(views, rows[nAt].nRow, layout, strFile, read, row, strError);
        if (result == RowRead::Bad)
            return false;
        if (result == RowRead::End)
            break;
        read.rows.push_back(std::move(row));
    }
    bill = std::move(read);
    return true;
}

} // namespace

bool ReadBill(std::string_view bytes, const std::string& strName, BillFile& bill,
              std::string& strError) {
    const std::string strFile = "“" + strName + "”";
    if (CWorkbookSheet::LooksLikeWorkbook(bytes))
        return ReadWorkbookBill(bytes, strFile, bill, strError);
    std::string text;
    std::string strDecodeError;
    if (!DecodeText(bytes, DetectEncoding(bytes), text, strDecodeError)) {
        strError = strFile + "不是文本文件，读不出账单：" + strDecodeError;
        return false;
    }
    Layout layout;
    if (!FindHeading(text, layout)) {
        strError = strFile + "不是支付宝或微信支付的账单，也没有能用的标题行。";
        return false;
    }
    BillFile read;
    read.nKind = layout.nKind;
    // A row a line, the lines found a block at a time (std::count looks at each byte).
    std::size_t nLines = 0;
    for (const char *at = text.data() + layout.nOffset, *end = text.data() + text.size();
         (at = static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(end - at))));
         ++at)
        ++nLines;
    read.rows.reserve(nLines);
    CCsvReader reader(std::string_view(text).substr(layout.nOffset), ',');
    std::vector<std::string_view> fields;
    std::size_t nLine = 0;
    reader.NextFields(fields, nLine); // the heading row
    while (reader.NextFields(fields, nLine)) {
        // Read where it will be kept.
        BillRow& bill_row = read.rows.emplace_back();
        const RowRead result = ReadRow(fields, layout.nHeaderLine + nLine - 1, layout, strFile,
                                       read, bill_row, strError);
        if (result == RowRead::Bad)
            return false;
        if (result == RowRead::End) {
            read.rows.pop_back();
            break;
        }
    }
    if (!reader.GetLastError().empty()) {
        strError = strFile + "读不下去：" + reader.GetLastError();
        return false;
    }
    bill = std::move(read);
    return true;
}

bool ReadBillFile(const std::string& strPath, BillFile& bill, std::string& strError) {
    const std::string strName = std::filesystem::path(strPath).filename().string();
    std::ifstream in(strPath, std::ios::binary);
    if (!in) {
        strError = "“" + strName + "”打不开。";
        return false;
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return ReadBill(bytes, strName, bill, strError);
}
