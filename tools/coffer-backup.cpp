// coffer-backup [LEDGER] DEST: writes a verified backup of a Coffer ledger (a file, or a
// postgresql:// URI of a ledger on a server), safely while Coffer is running and writing. DEST is a
// file name, or a folder where the backup takes the name data-YYYYMMDD-HHMMSS.mdb (local time).

#include "CofferVersion.h"
#include "backup/BackupFolder.h"
#include "platform/ado/LedgerCopy.h"
#include "platform/ado/LedgerLocation.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

const char* const kUsage = "usage: coffer-backup [LEDGER] DEST\n"
                           "Writes a verified backup of LEDGER (a ledger file or a "
                           "postgresql:// URI; default: the household\nledger, ./data.mdb "
                           "unless COFFER_LEDGER or the settings name another) to DEST,\n"
                           "a file name or a folder.\n"
                           "Exit status 0 only when the backup is complete and verified.\n";

const char* ProblemName(ado::CopyProblem problem) {
    switch (problem) {
    case ado::CopyProblem::LedgerMissing:
        return "missing";
    case ado::CopyProblem::LedgerUnreadable:
        return "unreadable";
    case ado::CopyProblem::NotALedger:
        return "not a Coffer ledger";
    case ado::CopyProblem::LedgerDamaged:
        return "damaged";
    case ado::CopyProblem::LedgerBusy:
        return "busy";
    case ado::CopyProblem::DiskFull:
        return "disk full";
    case ado::CopyProblem::NoPermission:
        return "permission denied";
    case ado::CopyProblem::Cancelled:
        return "cancelled";
    case ado::CopyProblem::ServerUnreachable:
        return "server unreachable";
    case ado::CopyProblem::DestinationTaken:
        return "destination exists";
    case ado::CopyProblem::ForeignSchema:
        return "holds schema objects Coffer does not make";
    case ado::CopyProblem::None:
    case ado::CopyProblem::WriteFailed:
        break;
    }
    return "write failed";
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("coffer-backup %s\n", kCofferVersion);
        return 0;
    }
    if (argc == 2 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc < 2 || argc > 3) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    namespace fs = std::filesystem;
    std::error_code ec;
    // The same ledger as every other tool and window: without LEDGER, the household's.
    const std::string ledger =
        ado::LedgerLocation::Resolve(argc == 3 ? argv[1] : ado::LedgerLocation::kHouseholdName);
    std::string dest = fs::absolute(argv[argc - 1], ec).string();
    if (fs::is_directory(dest, ec))
        dest = CBackupFolder::FreePathIn(dest, COleDateTime::GetCurrentTime());
    // An explicit file name is replaced in one step, so a nightly copy keeps one name.
    const ado::LedgerCopyResult result = ado::BackupLedger(ledger, dest, true);
    if (!result.Ok()) {
        std::fprintf(stderr, "coffer-backup: %s (%s): %s\n", result.file.c_str(),
                     ProblemName(result.problem), result.detail.c_str());
        return 1;
    }
    std::printf("coffer-backup: %s (%lld income, %lld expense records)\n", dest.c_str(),
                result.incomeRecords, result.payRecords);
    return 0;
}
