#pragma once

#include <string>

class QWidget;

/// The backups the program makes of its ledger by itself, with what it tells the user.
class CLedgerBackups {
public:
    /// The ledger the program uses: the file the connection text names.
    static std::string LedgerPath();

    /// At start-up, before the main window shows: backs the ledger up when it changed since
    /// the newest backup. A failure is said once and the program goes on; a damaged ledger
    /// is said plainly, naming the newest good backup, and 备份与恢复 is offered.
    static void AtStartup(QWidget* owner, const std::string& ledgerPath);

    /// For a feature about to add tables to the ledger: makes a verified backup now. False,
    /// after saying why, when none could be made; the ledger must then stay as it is.
    static bool BeforeLedgerChange(QWidget* owner, const std::string& ledgerPath);
};
