#pragma once

#include "platform/ado/LedgerCopy.h"

#include <QProgressDialog>

#include <functional>
#include <string>

class QWidget;

/// Runs a copy of the ledger on a thread of its own while the program stays responsive: a
/// progress window shows the pages copied once the copy takes longer than a moment (a busy bar
/// while a step of unknown length runs, reported with a total of 0), and its 取消 (when
/// offered) stops the copy.
class CBackupProgress {
public:
    CBackupProgress(QWidget* owner, const std::string& label, bool cancellable);

    /// Calls `work` on another thread with the progress callback to hand the copy, and
    /// returns when it is done; meanwhile this thread serves its events. What `work` throws
    /// is thrown here.
    void Run(const std::function<void(const ado::CopyProgress&)>& work);

    /// The window, for looking at it.
    QProgressDialog& Window() { return m_dialog; }

    static constexpr int kSteps = 1000;
    /// How long a copy runs before the window shows.
    static constexpr int kShowAfterMs = 400;

private:
    QProgressDialog m_dialog;
    bool m_bCancellable;
};
