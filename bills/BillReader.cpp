#include "bills/BillReader.h"

#include "bills/BillFields.h"
#include "exchange/CsvReader.h"
#include "exchange/TextEncoding.h"

#include <array>
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
bool ParseAmount(const std::string& text, std::int64_t& nCents) {
    if (!ParseBillCents(text, nCents))
        return false;
    if (nCents < 0)
        nCents = -nCents;
    return true;
}

BillDirection DirectionOf(const std::string& strDirection, const std::string& strFundStatus) {
    const std::string& text = strDirection.empty() ? strFundStatus : strDirection;
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
                const bool bWeChat = (layout.columns[Order] >= 0 &&
                                      CleanBillField(row.fields[layout.columns[Order]]) == "交易单号") ||
                                     before.find("微信") != std::string_view::npos;
                layout.nKind = bWeChat ? BillKind::WeChat : BillKind::Alipay;
                return true;
            }
        }
        at = end + 1;
    }
    return false;
}

std::string Field(const CsvRow& row, const Layout& layout, Column column) {
    const int nField = layout.columns[column];
    return nField >= 0 && nField < static_cast<int>(row.fields.size()) ? CleanBillField(row.fields[nField])
                                                                        : std::string();
}

std::string LineText(std::size_t nLine) {
    return "第 " + std::to_string(nLine) + " 行";
}

} // namespace

bool ReadBill(std::string_view bytes, const std::string& strName, BillFile& bill,
              std::string& strError) {
    const std::string strFile = "“" + strName + "”";
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
    CCsvReader reader(std::string_view(text).substr(layout.nOffset), ',');
    CsvRow row;
    reader.Next(row); // the heading row
    while (reader.Next(row)) {
        const std::size_t nLine = layout.nHeaderLine + row.nLine - 1;
        const std::string strWhen = Field(row, layout, Time);
        BillRow bill_row;
        bill_row.nLine = nLine;
        if (!ParseBillTime(strWhen, bill_row.dtWhen)) {
            // The services close their bills with a dashed line and a few notes.
            const std::string first = row.fields.empty() ? "" : CleanBillField(row.fields[0]);
            if (first.empty() || first[0] == '-' || first[0] == '#')
                break;
            strError = strFile + LineText(nLine) + "的交易时间读不出：" + strWhen;
            return false;
        }
        if (!ParseAmount(Field(row, layout, Amount), bill_row.nCents)) {
            strError = strFile + LineText(nLine) + "的金额读不出：" + Field(row, layout, Amount);
            return false;
        }
        bill_row.strType = Field(row, layout, Type);
        bill_row.strCounterparty = Field(row, layout, Counterparty);
        bill_row.strGoods = Field(row, layout, Goods);
        bill_row.nDirection =
            DirectionOf(Field(row, layout, Direction), Field(row, layout, FundStatus));
        bill_row.strMethod = Field(row, layout, Method);
        bill_row.strStatus = Field(row, layout, Status);
        bill_row.strOrder = Field(row, layout, Order);
        bill_row.strMerchantOrder = Field(row, layout, MerchantOrder);
        bill_row.strRemark = Field(row, layout, Remark);
        read.rows.push_back(std::move(bill_row));
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
