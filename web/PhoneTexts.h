#pragma once

/// The phone page's own texts, each defined once; the entry window's outcomes come from its
/// twin table and the number prompt, so the phone says what the window says.
namespace PhoneTexts {

inline constexpr const char* kTitle = "手机记账";
inline constexpr const char* kAdded = "数据添加成功！";
inline constexpr const char* kFailed = "出错！";
inline constexpr const char* kNotNumber = "请输入一个数字。";
inline constexpr const char* kNoMember = "请先在系统设置中添加家庭成员！";
inline constexpr const char* kMemberGone = "家庭成员已不在列表中，请重新选择！";
inline constexpr const char* kItemGone = "项目已不在列表中，请重新选择！";
inline constexpr const char* kBadDate = "日期不正确！";
inline constexpr const char* kNoteTooLong = "备注不能超过200个字！";
inline constexpr const char* kCorrected = "记录已更正！";
inline constexpr const char* kDeleted = "记录已删除！";
inline constexpr const char* kTooLate = "只能在10分钟内更正或删除刚记的一笔！";
inline constexpr const char* kEmptyLogin = "用户名或者密码不能为空!";
inline constexpr const char* kWrongLogin = "密码或者用户名错误！";
inline constexpr const char* kLocked = "登录失败次数太多，请15分钟后再试！";
inline constexpr const char* kBadCode = "配对码无效或已过期，请在电脑上重新打开手机记账窗口扫码！";
inline constexpr const char* kNotPaired = "这部手机还没有配对。请在电脑上打开“手机记账…”，用手机扫描二维码。";
inline constexpr const char* kExpired = "页面已过期，请重新打开！";
inline constexpr const char* kNameTooLong = "手机名称不能超过40个字！";
inline constexpr const char* kLedgerTrouble = "账本打不开！";
inline constexpr const char* kBadRequest = "请求无效！";
inline constexpr const char* kNotFound = "找不到这个页面！";
inline constexpr const char* kTooLarge = "照片太大，一次最多发送24MB！请少选几张再试。";
inline constexpr const char* kTooManyPictures = "一次最多附4张凭证！";
/// After 数据添加成功！ or 记录已更正！: how many receipts went with it.
inline constexpr const char* kPicturesAttached = "已附凭证%d张。";

} // namespace PhoneTexts
