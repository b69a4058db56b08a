#pragma once

/// What the bank statements' import says; each text once.
namespace BankTexts {

inline constexpr const char* kNoScheme =
    "不是支付宝或微信支付的账单，也没有保存过与它的标题行相同的导入方案。"
    "请在“导入账单”窗口中为它保存一个导入方案。";
inline constexpr const char* kBrokenXls = "不是完好的 Excel 文件（.xls），读不出账单";
inline constexpr const char* kLockedXls =
    "设有密码，Coffer 读不了。请在 Excel 或 WPS 中打开它，取消密码并保存后再导入。";
inline constexpr const char* kNoName = "请给导入方案起一个名字！";
inline constexpr const char* kNameTaken = "已经有一个这样名字的导入方案！";
inline constexpr const char* kNoSuchScheme = "没有这个导入方案！";
inline constexpr const char* kNoDate = "请选出记账日期所在的列！";
inline constexpr const char* kNoAmount = "请选出交易金额所在的列，或者收入和支出所在的两列！";
inline constexpr const char* kNoAccount = "请选择这个账单所属的账户！";
inline constexpr const char* kBadDate = "的日期读不出：";
inline constexpr const char* kBadAmount = "的金额读不出：";
inline constexpr const char* kBadBalance = "的余额读不出：";
inline constexpr const char* kNoAmountInLine = "没有金额";
inline constexpr const char* kBothAmounts = "收入和支出都有金额";
inline constexpr const char* kZeroAmount = "金额为 0";
inline constexpr const char* kSaved = "导入方案已保存！";
inline constexpr const char* kRenamed = "导入方案已改名！";
inline constexpr const char* kDeleted = "导入方案已删除！";
inline constexpr const char* kAskDelete = "删除导入方案“%s”吗？";
inline constexpr const char* kBalanceGap =
    "第 %zu 行（%s）的余额对不上：账单上是 %s，按账户“%s”的记录算出来是 %s。";
inline constexpr const char* kBalanceAsk = "\n仍然导入吗？";
inline constexpr const char* kBalanceRefused = "\n没有导入。核对账户后再导入，或者加上 --accept-balance。";
inline constexpr const char* kNoColumn = "（无）";

} // namespace BankTexts
