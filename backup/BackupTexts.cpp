#include "backup/BackupTexts.h"

#include "data/FormatDateTime.h"
#include "platform/ole/PointNumber.h"

#include <cstdio>

using ado::CopyProblem;

std::string CBackupTexts::Cause(const ado::LedgerCopyResult& result) {
    // A server ledger is no file: its problems are the server's, in the words the 账本位置
    // window uses for them.
    const bool server = ado::IsServerLedger(result.file);
    switch (result.problem) {
    case CopyProblem::None:
        return "";
    case CopyProblem::LedgerMissing:
        return server ? "服务器上没有这个数据库（" + result.file + "）"
                      : "找不到文件 " + result.file;
    case CopyProblem::LedgerUnreadable:
        return server ? "服务器拒绝登录，用户名或者密码错误（" + result.file + "）"
                      : "没有读取文件 " + result.file + " 的权限";
    case CopyProblem::NotALedger:
        return server ? "这个数据库里没有银匣账本（" + result.file + "）"
                      : result.file + " 不是银匣的账本";
    case CopyProblem::LedgerDamaged:
        return result.file + " 已损坏";
    case CopyProblem::LedgerBusy:
        return "账本正被另一个程序使用，等不到它让出";
    case CopyProblem::DiskFull:
        return "磁盘空间不足";
    case CopyProblem::NoPermission:
        return "没有写入备份文件夹的权限";
    case CopyProblem::Cancelled:
        return "已取消";
    case CopyProblem::ServerUnreachable:
        return "连不上账本所在的服务器 " + result.file;
    case CopyProblem::ForeignSchema:
        return result.file + " " + result.detail;
    case CopyProblem::DestinationTaken:
        return "备份文件夹里已有同名的文件 " + result.file;
    case CopyProblem::WriteFailed:
        break;
    }
    return "写入备份时出错（" + result.detail + "）";
}

std::string CBackupTexts::BackupFailed(const ado::LedgerCopyResult& result, bool bEarlierKept) {
    return "备份没有做成：" + Cause(result) + (bEarlierKept ? "。以前的备份都还在！" : "！");
}

std::string CBackupTexts::BackupDone() {
    return "备份完成！";
}

std::string CBackupTexts::LedgerDamaged(const BackupEntry* newestGood) {
    const std::string good = newestGood != nullptr
                                 ? "最近一份完好的备份是 " + Time(*newestGood) + " 的。"
                                 : "备份文件夹里没有完好的备份。";
    return "账本文件已损坏（是账本本身的问题，不是磁盘空间），这次没有备份。" + good +
           "\n要打开“备份与恢复”吗？";
}

std::string CBackupTexts::Time(const BackupEntry& entry) {
    return FormatDateTime(entry.time, "%Y-%m-%d %H:%M:%S");
}

std::string CBackupTexts::Size(std::uintmax_t bytes) {
    // With a point, as every number the windows show, whatever the desktop's region.
    if (bytes < 1024 * 1024)
        return ole::PointNumber::Format(static_cast<double>(bytes) / 1024, std::chars_format::fixed,
                                        0) +
               " KB";
    return ole::PointNumber::Format(static_cast<double>(bytes) / (1024 * 1024),
                                    std::chars_format::fixed, 1) +
           " MB";
}

std::string CBackupTexts::Count(long long records) {
    return records < 0 ? "?" : std::to_string(records);
}

std::string CBackupTexts::Pictures(long long pictures, long long bytes) {
    if (pictures <= 0 || bytes < 0)
        return Count(pictures);
    return Count(pictures) + "（" + Size(static_cast<std::uintmax_t>(bytes)) + "）";
}

std::string CBackupTexts::AskRestore(const BackupEntry& entry) {
    return "要用 " + Time(entry) + " 的备份替换现在的账本吗？\n替换前会先把现在的账本备份一份。";
}

std::string CBackupTexts::Restored(const BackupEntry& entry, const RestoreOutcome& outcome) {
    std::string text = "恢复完成！账本已是 " + Time(entry) + " 的样子。";
    if (!outcome.damagedCopy.empty())
        text += "\n损坏的账本原样留在 " + outcome.damagedCopy + "。";
    return text;
}

std::string CBackupTexts::RestoreFailed(const RestoreOutcome& outcome) {
    switch (outcome.step) {
    case RestoreOutcome::BackupRefused:
        return "这份备份没有通过检查（" + Cause(outcome.result) +
               "），不能用来恢复，账本没有改动！";
    case RestoreOutcome::CurrentNotSaved:
        return "恢复前没能先备份现在的账本：" + Cause(outcome.result) +
               "。没有恢复，账本没有改动！";
    case RestoreOutcome::NotRestored:
    case RestoreOutcome::Done:
        break;
    }
    return "没有恢复：" + Cause(outcome.result) + "。账本没有改动！";
}

std::string CBackupTexts::ChooseFirst() {
    return "请先在列表中选择一份备份！";
}

std::string CBackupTexts::FolderNotOpened() {
    return "打不开备份文件夹！";
}

std::string CBackupTexts::Caption() {
    return "备份与恢复";
}

std::string CBackupTexts::BackingUp() {
    return "正在备份账本…";
}

std::string CBackupTexts::Restoring() {
    return "正在恢复备份…";
}

std::string CBackupTexts::Cancel() {
    return "取消";
}
