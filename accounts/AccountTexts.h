#pragma once

/// What the account windows and tools say; each text once.
namespace AccountTexts {

inline constexpr const char* kNameMissing = "账户名称不能为空！";
inline constexpr const char* kNameTaken = "已有同名的账户！";
inline constexpr const char* kKindMissing = "请选择账户种类！";
inline constexpr const char* kDateInvalid = "期初日期不正确！";
inline constexpr const char* kAmountInvalid = "金额不正确！请填入最多两位小数的金额！";
inline constexpr const char* kInUse = "有记录或转账用到这个账户，不能删除，只能停用！";
inline constexpr const char* kSaved = "账户已保存！";
inline constexpr const char* kDeleted = "账户已删除！";
inline constexpr const char* kTransferSame = "转出账户和转入账户不能相同！";
inline constexpr const char* kTransferAccounts = "请选择转出账户和转入账户！";
inline constexpr const char* kTransferZero = "转账金额不能为0！";
inline constexpr const char* kTransferSaved = "转账已保存！";
inline constexpr const char* kTransferDeleted = "转账已删除！";
inline constexpr const char* kDeleteTransferQuestion = "确定要删除这笔转账吗？";
inline constexpr const char* kReconciledTransferQuestion = "这笔转账已经对过账，确定要修改吗？";
inline constexpr const char* kReconcileNotZero = "差额不为0，不能完成对账！";
inline constexpr const char* kReconcileDone = "对账完成！";
inline constexpr const char* kAdjustQuestion =
    "差额不为0。要记一笔对账调整，使账户与对账单一致吗？";
inline constexpr const char* kAdjustment = "对账调整";
inline constexpr const char* kOpening = "期初余额";
inline constexpr const char* kTransfer = "转账";
inline constexpr const char* kAssets = "资产";
inline constexpr const char* kDebts = "负债";
inline constexpr const char* kNetWorth = "净资产";
inline constexpr const char* kByAccount = "按账户";

} // namespace AccountTexts
