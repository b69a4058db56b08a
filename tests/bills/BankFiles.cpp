#include "tests/bills/BankFiles.h"

#include "tests/bills/BillFiles.h"

namespace bank_files {
namespace {

// "-1234.50" → "-1,234.50".
std::string Grouped(const std::string& amount) {
    const size_t point = amount.find('.');
    const size_t start = amount[0] == '-' ? 1 : 0;
    std::string text = amount;
    for (size_t at = (point == std::string::npos ? text.size() : point); at > start + 3; at -= 3)
        text.insert(at - 3, ",");
    return text;
}

} // namespace

const std::vector<Line>& March() {
    static const std::vector<Line> lines = {
        {"2024-03-01", "5000.00", "5100.00", "工资", "某某科技有限公司"},
        {"2024-03-02", "-28.16", "5071.84", "消费", "云膳过桥米线"},
        {"2024-03-05", "-12.00", "5059.84", "快捷支付", ""},
    };
    return lines;
}

std::string SignedCsv(const std::vector<Line>& lines, const std::string& card) {
    std::string text = "\xEF\xBB\xBF"
                       "账户明细查询,,,,\n"
                       "账号：" + card + ",,,,\n"
                       "币种：人民币,起止日期：20240301-20240331,,,\n"
                       "\n"
                       "记账日期,交易金额,余额,摘要,对方户名,\n";
    for (const Line& line : lines)
        text += line.date + ",\"" + Grouped(line.amount) + "\",\"" + Grouped(line.balance) +
                "\"," + line.summary + "," + line.counterparty + ",\n";
    return text;
}

std::string ColumnsCsv(const std::vector<Line>& lines) {
    std::string text = "交易明细\r\n"
                       "户名：张小花    卡号：6222 **** **** 5678\r\n"
                       "\r\n"
                       "交易日期,交易时间,收入金额,支出金额,账户余额,交易摘要,对方名称\r\n";
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
        const bool bOut = line->amount[0] == '-';
        const std::string plain = bOut ? line->amount.substr(1) : line->amount;
        std::string date = line->date;
        date.erase(7, 1);
        date.erase(4, 1);
        text += date + ",10:00:00," + (bOut ? "" : plain) + "," + (bOut ? plain : "") + "," +
                line->balance + "," + line->summary + "," + line->counterparty + "\r\n";
    }
    text += "合计,,,,,,\r\n";
    return bill_files::Gb18030(text);
}

} // namespace bank_files
