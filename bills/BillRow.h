#pragma once

#include "platform/ole/OleDateTime.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

/// Which way money went in a bill row: out, in, or neither (money moved between one's own
/// places, refunds, fund purchases: 不计收支, or "/" in a WeChat Pay bill).
enum class BillDirection { Out, In, Neutral };

/// One row of a payment bill, in the same shape whichever layout it came from. Texts are
/// trimmed UTF-8; an empty field ("/" in a WeChat Pay bill) is "".
struct BillRow {
    std::size_t nLine = 0; ///< the line of the file it stands on, from 1
    COleDateTime dtWhen;
    std::string strType;         ///< 交易分类 / 交易类型 / 类型
    std::string strCounterparty; ///< 交易对方
    std::string strGoods;        ///< 商品说明 / 商品 / 商品名称
    BillDirection nDirection = BillDirection::Neutral;
    std::int64_t nCents = 0;  ///< the amount, more than 0
    std::string strMethod;    ///< 收/付款方式 / 支付方式: where the money came from or went
    std::string strStatus;    ///< 交易状态 / 当前状态
    std::string strOrder;     ///< 交易订单号 / 交易单号 / 交易号
    std::string strMerchantOrder; ///< 商家订单号 / 商户单号
    std::string strRemark;    ///< 备注
    bool bHasBalance = false; ///< a bank statement's 余额 after the row, when it lists one
    std::int64_t nBalance = 0;
};

/// The payment services whose bills are read as they come, and bank statements read by a
/// saved import scheme.
enum class BillKind { Alipay, WeChat, Bank };

/// A bill as read: its kind, its rows in the file's order.
struct BillFile {
    BillKind nKind = BillKind::Alipay;
    std::vector<BillRow> rows;
    std::int64_t nAccount = 0; ///< a bank statement: the account it is of
    std::string strScheme;     ///< a bank statement: the import scheme it was read by
};

/// What the ledger keeps as a row's source ("支付宝", "微信", "银行").
const char* BillSourceName(BillKind kind);
