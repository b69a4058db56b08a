#pragma once

#include "platform/ole/OleDateTime.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

/// Which way money went in a bill row: out, in, or neither (money moved between one's own
/// places, refunds, fund purchases: 不计收支, or "/" in a WeChat Pay bill).
enum class BillDirection { Out, In, Neutral };

/// One row of a payment bill, in the same shape whichever layout it came from. Texts are
/// trimmed UTF-8 kept by the bill the row is of (BillFile::Keep); an empty field ("/" in a
/// WeChat Pay bill) is "".
struct BillRow {
    std::size_t nLine = 0; ///< the line of the file it stands on, from 1
    COleDateTime dtWhen;
    std::string_view strType;         ///< 交易分类 / 交易类型 / 类型
    std::string_view strCounterparty; ///< 交易对方
    std::string_view strGoods;        ///< 商品说明 / 商品 / 商品名称
    BillDirection nDirection = BillDirection::Neutral;
    std::int64_t nCents = 0;       ///< the amount, more than 0
    std::string_view strMethod;    ///< 收/付款方式 / 支付方式: where the money came from or went
    std::string_view strStatus;    ///< 交易状态 / 当前状态
    std::string_view strOrder;     ///< 交易订单号 / 交易单号 / 交易号
    std::string_view strMerchantOrder; ///< 商家订单号 / 商户单号
    std::string_view strRemark;    ///< 备注
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

    /// A copy of `text` that lives as long as this bill or any copy of it: what its rows'
    /// texts view. The texts are kept side by side in large blocks: a string each would
    /// make a bill of 20,000 rows mostly string room, and reading it mostly fresh memory.
    std::string_view Keep(std::string_view text);

private:
    struct Store;
    std::shared_ptr<Store> m_pStore;
};

/// What the ledger keeps as a row's source ("支付宝", "微信", "银行").
const char* BillSourceName(BillKind kind);
