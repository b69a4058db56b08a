#pragma once

#include <string>
#include <vector>

namespace bill_files {

/// One payment as a test bill lists it, in the newer Alipay column order; `amount` plain
/// ("28.16"), written as each service writes it.
struct Payment {
    std::string time;
    std::string type;
    std::string counterparty;
    std::string goods;
    std::string direction; // 支出, 收入, 不计收支 or "/"
    std::string amount;
    std::string method;
    std::string status;
    std::string order;
    std::string merchantOrder;
};

/// An Alipay bill as downloaded: GB18030, CRLF, a preamble of notes, every field padded with
/// spaces, the order numbers followed by a tab, every line ending in a comma.
std::string AlipayCsv(const std::vector<Payment>& payments);
/// An older Alipay export: other columns (交易号, 交易创建时间, 类型, 商品名称, 金额（元）,
/// 资金状态), 收/支 left empty for money moved, and a dashed trailer.
std::string OlderAlipayCsv(const std::vector<Payment>& payments);
/// A WeChat Pay bill: UTF-8 with a byte-order mark, 16 preamble lines padded with commas,
/// "¥" amounts, "/" for empty fields, order numbers followed by a tab or spaces.
std::string WeChatCsv(const std::vector<Payment>& payments);
/// UTF-8 text in GB18030, as Chinese programs write it.
std::string Gb18030(const std::string& utf8);
/// Writes bytes to a file.
void Write(const std::string& path, const std::string& bytes);

} // namespace bill_files
