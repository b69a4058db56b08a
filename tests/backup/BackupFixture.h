#pragma once

#include "backup/BackupFolder.h"
#include "platform/ole/Clock.h"
#include "platform/ui/MessageRecorder.h"
#include "tests/backup/LedgerFiles.h"
#include "tests/support/TestDb.h"

#include <gtest/gtest.h>

/// A ledger with a fixed clock, its backups folder and recorded message boxes.
class BackupFixture : public testing::Test {
protected:
    BackupFixture() : m_folder(m_db.FilePath().string()) {
        ole::SetClock([this] { return m_now; });
    }
    ~BackupFixture() override { ole::ResetClock(); }

    std::string Ledger() const { return m_db.FilePath().string(); }
    /// A backup made at the given day of November 2026, 09:00, after adding records.
    BackupEntry BackUpOn(int day, int records) {
        testing_support::AddRecords(Ledger(), records);
        m_now = COleDateTime(2026, 11, day, 9, 0, 0);
        EXPECT_TRUE(m_folder.BackUpNow().Ok());
        return m_folder.List().front();
    }

    testing_support::TestDb m_db;
    COleDateTime m_now{2026, 11, 1, 9, 0, 0};
    CBackupFolder m_folder;
    ui::MessageRecorder m_messages;
};
