#pragma once

/// What the bill import says; each text once.
namespace BillTexts {

inline constexpr const char* kIncome = "收入";
inline constexpr const char* kExpense = "支出";
inline constexpr const char* kTransfer = "转账";
inline constexpr const char* kSkipped = "不记";
inline constexpr const char* kPossibleDuplicate = "可能重复";
inline constexpr const char* kClosed = "交易关闭，没有付款";
inline constexpr const char* kUnfinished = "还没有完成：";
inline constexpr const char* kStoredBefore = "以前导入过";
inline constexpr const char* kTwiceInBill = "账单中重复的一行";
inline constexpr const char* kPaid = "已付款";
inline constexpr const char* kReceived = "已收款";
inline constexpr const char* kRefundOf = "退款，冲减第 %zu 行的支出";
inline constexpr const char* kRefundOfStored = "退款，冲减以前导入的支出";
inline constexpr const char* kRefundAlone = "退款，账单中没有原来的支出";
inline constexpr const char* kRefundOfSkipped = "退款，原来的支出没有记，退款也不记";
inline constexpr const char* kBetween = "家里账户之间转账";
inline constexpr const char* kSameAccount = "同一个账户里的转移";
inline constexpr const char* kOtherSideUnknown = "另一方不是家里的账户";
inline constexpr const char* kNoSourceAccount = "没有对应的账户：";
inline constexpr const char* kLikeTyped = "可能重复：与手工记的一笔相同，勾选才记";
inline constexpr const char* kNoCategory = "类别待选";
inline constexpr const char* kFallbackCategory = "类别未识别，记为";

} // namespace BillTexts
