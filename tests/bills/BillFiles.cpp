#include "tests/bills/BillFiles.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <fstream>

namespace bill_files {
namespace {

std::string Padded(const std::string& field) {
    return field + std::string(6, ' ');
}

std::string Slash(const std::string& field) {
    return field.empty() ? "/" : field;
}

} // namespace

std::string Gb18030(const std::string& utf8) {
    iconv_t cd = iconv_open("GB18030", "UTF-8");
    std::string out(utf8.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* to = out.data();
    size_t outLeft = out.size();
    const size_t done = iconv(cd, &in, &inLeft, &to, &outLeft);
    iconv_close(cd);
    EXPECT_NE(done, static_cast<size_t>(-1));
    out.resize(out.size() - outLeft);
    return out;
}

std::string AlipayCsv(const std::vector<Payment>& payments) {
    std::string text =
        "------------------------------------------------------------------------------------\r\n"
        "导出信息：\r\n"
        "姓名：张小花\r\n"
        "支付宝账户：flower@example.com\r\n"
        "起始时间：[2024-03-01 00:00:00]    终止时间：[2024-04-01 00:00:00]\r\n"
        "导出交易类型：[全部]\r\n"
        "导出时间：[2024-04-02 10:00:00]\r\n"
        "共" + std::to_string(payments.size()) + "笔记录\r\n"
        "收入：1笔 28.50元\r\n"
        "支出：5笔 300.00元\r\n"
        "不计收支：2笔 100.00元\r\n"
        "\r\n"
        "特别提示：\r\n"
        "1.本回单内容可表明支付宝受理了此笔业务，不代表交易已经成功；\r\n"
        "2.交易对方由交易对方提供，支付宝不保证其真实性；\r\n"
        "3.如有疑问请联系客服；\r\n"
        "\r\n"
        "------------------------支付宝（中国）网络技术有限公司  电子客户回单------------------------\r\n"
        "交易时间,交易分类,交易对方,对方账号,商品说明,收/支,金额,收/付款方式,交易状态,交易订单号,"
        "商家订单号,备注,\r\n";
    for (const Payment& p : payments)
        text += Padded(p.time) + "," + Padded(p.type) + "," + Padded(p.counterparty) + "," +
                Padded("ab***@example.com") + "," + Padded(p.goods) + "," + Padded(p.direction) +
                "," + Padded(p.amount) + "," + Padded(p.method) + "," + Padded(p.status) + "," +
                p.order + "\t," + p.merchantOrder + "\t," + Padded("") + ",\r\n";
    return Gb18030(text);
}

std::string OlderAlipayCsv(const std::vector<Payment>& payments) {
    std::string text = "支付宝交易记录明细查询\r\n"
                       "账号:[20880000000000000156]\r\n"
                       "起始日期:[2019-01-01 00:00:00]    终止日期:[2019-02-01 00:00:00]\r\n"
                       "---------------------------------交易记录明细列表------------------------------------\r\n"
                       "交易号,商家订单号,交易创建时间,付款时间,最近修改时间,交易来源地,类型,交易对方,"
                       "商品名称,金额（元）,收/支,交易状态,服务费（元）,成功退款（元）,备注,资金状态,\r\n";
    for (const Payment& p : payments) {
        const std::string fund = p.direction == "支出"   ? "已支出"
                                 : p.direction == "收入" ? "已收入"
                                                         : "资金转移";
        const std::string direction = p.direction == "不计收支" ? "" : p.direction;
        text += p.order + "\t," + p.merchantOrder + "\t," + p.time + "," + p.time + "," + p.time +
                ",其他（包括阿里巴巴和外部商家）," + p.type + "," + Padded(p.counterparty) + "," +
                Padded(p.goods) + "," + p.amount + "," + direction + "," + p.status +
                ",0.00,0.00,," + fund + ",\r\n";
    }
    text += "------------------------------------------------------------------------------------\r\n"
            "共" + std::to_string(payments.size()) + "笔记录\r\n"
            "已收入:0笔,0.00元\r\n";
    return Gb18030(text);
}

std::string WeChatCsv(const std::vector<Payment>& payments) {
    const std::string pad = ",,,,,,,,,,";
    std::string text = "\xEF\xBB\xBF微信支付账单明细" + pad + "\n"
                       "微信昵称：[花花]" + pad + "\n"
                       "起始时间：[2024-03-01 00:00:00] 终止时间：[2024-04-01 00:00:00]" + pad + "\n"
                       "导出类型：[全部]" + pad + "\n"
                       "导出时间：[2024-04-02 10:00:00]" + pad + "\n" + pad + "\n"
                       "共" + std::to_string(payments.size()) + "笔记录" + pad + "\n"
                       "收入：1笔 100.00元" + pad + "\n"
                       "支出：3笔 200.00元" + pad + "\n"
                       "中性交易：0笔 0.00元" + pad + "\n"
                       "注：" + pad + "\n"
                       "1. 充值/提现/理财通购买/零钱通存取/信用卡还款等交易，将计入中性交易" + pad + "\n"
                       "2. 本明细仅展示当前账单中的交易，不包括已删除的记录" + pad + "\n"
                       "3. 本明细仅供个人对账使用" + pad + "\n" + pad + "\n"
                       "----------------------微信支付账单明细列表--------------------" + pad + "\n"
                       "交易时间,交易类型,交易对方,商品,收/支,金额(元),支付方式,当前状态,交易单号,"
                       "商户单号,备注\n";
    bool tab = true;
    for (const Payment& p : payments) {
        const std::string after = (tab = !tab) ? "\t" : "  ";
        text += p.time + "," + Slash(p.type) + "," + Slash(p.counterparty) + ",\"" +
                Slash(p.goods) + "\"," + Slash(p.direction) + ",¥" + p.amount + "," +
                Slash(p.method) + "," + p.status + "," + p.order + after + "," +
                Slash(p.merchantOrder) + after + ",/\n";
    }
    return text;
}

void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

} // namespace bill_files
