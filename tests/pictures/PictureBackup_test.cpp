// Receipts travel with the ledger: a backup lists them and gives them back byte for byte on
// restore, and a file ledger moved to a server takes them along, its triggers included.
#include "backup/BackupFolder.h"
#include "backup/BackupTexts.h"
#include "data/ADODatabase.h"
#include "data/ADORecordset.h"
#include "data/InTransaction.h"
#include "data/LedgerAdditions.h"
#include "exchange/LedgerExport.h"
#include "pictures/PicturePrep.h"
#include "pictures/PictureStore.h"
#include "platform/ado/Connection.h"
#include "platform/ado/LedgerCopy.h"
#include "platform/ado/pg/ServerLedger.h"
#include "tests/pictures/PictureFiles.h"
#include "tests/support/TestDb.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using testing_support::TestDb;

struct Kept {
    std::int64_t nId = 0;
    CPreparedPicture picture;
};

// A record of `table` in the ledger behind `db` with two receipts.
std::vector<Kept> RecordWithReceipts(CADODatabase& db, std::int64_t& nRecord) {
    {
        CADORecordset rs(&db);
        EXPECT_TRUE(rs.Open("normalPay", CADORecordset::ModeTable));
        rs.AddNew();
        rs.SetFieldValue("支出人员", std::string("妈妈"));
        rs.SetFieldValue("支出金额", 88.0);
        rs.SetFieldValue("支出日期", COleDateTime(2024, 5, 1, 12, 0, 0));
        rs.SetFieldValue("支出项目", std::string("交通"));
        EXPECT_TRUE(rs.Update());
        double dRecord = 0;
        rs.GetFieldValue(0, dRecord);
        nRecord = static_cast<std::int64_t>(dRecord);
    }
    std::vector<Kept> kept(2);
    std::string error;
    EXPECT_TRUE(CPicturePrep::FromBytes(
        picture_files::JpegWithExif(picture_files::Halves(640, 480, Qt::red, Qt::white), 1),
        kept[0].picture, error));
    EXPECT_TRUE(CPicturePrep::FromBytes(
        picture_files::Encode(picture_files::Halves(480, 640, Qt::blue, Qt::gray), "png"),
        kept[1].picture, error));
    InTransaction(db, [&] {
        for (Kept& each : kept)
            each.nId = CPictureStore(db).Attach("normalPay", nRecord, each.picture);
    });
    return kept;
}

void ExpectKept(CADODatabase& db, std::int64_t nRecord, const std::vector<Kept>& kept) {
    CPictureStore store(db);
    const auto thumbnails = store.Thumbnails("normalPay", nRecord);
    ASSERT_EQ(thumbnails.size(), kept.size());
    for (size_t i = 0; i < kept.size(); ++i) {
        EXPECT_EQ(thumbnails[i].strThumbnail, kept[i].picture.strThumbnail);
        EXPECT_EQ(store.Picture(thumbnails[i].nId), kept[i].picture.strJpeg) << "byte for byte";
    }
}

std::string DeleteRecord(CADODatabase& db, std::int64_t nRecord) {
    CADORecordset rs(&db);
    rs.Open("DELETE FROM normalPay WHERE 编号 = " + std::to_string(nRecord),
            CADORecordset::ModeUnknown);
    return std::to_string(CPictureStore(db).Count("normalPay", nRecord));
}

TEST(PictureBackupTest, ABackupListsTheReceiptsAndTheRestoreGivesThemBackByteForByte) {
    TestDb test;
    std::int64_t nRecord = 0;
    std::vector<Kept> kept;
    std::string ledger;
    {
        CADODatabase db;
        db.SetConnectionString(TestDb::kConnectionString);
        ASSERT_TRUE(db.Open());
        kept = RecordWithReceipts(db, nRecord);
        ledger = db.GetActiveConnection()->FilePath();
    }
    CBackupFolder folder(ledger);
    ASSERT_TRUE(folder.BackUpNow().Ok());
    const std::vector<BackupEntry> backups = folder.List();
    ASSERT_EQ(backups.size(), 1u);
    const ado::LedgerCopyResult counts = ado::ReadLedgerCounts(backups[0].path);
    EXPECT_EQ(counts.pictures, 2);
    long long bytes = 0;
    for (const Kept& each : kept)
        bytes += static_cast<long long>(each.picture.strJpeg.size() + each.picture.strThumbnail.size());
    EXPECT_EQ(counts.pictureBytes, bytes);
    EXPECT_EQ(CBackupTexts::Pictures(counts.pictures, counts.pictureBytes),
              "2（" + CBackupTexts::Size(static_cast<std::uintmax_t>(bytes)) + "）");
    {
        CADODatabase db;
        db.SetConnectionString(TestDb::kConnectionString);
        ASSERT_TRUE(db.Open());
        EXPECT_EQ(DeleteRecord(db, nRecord), "0");
        EXPECT_EQ(test.Scalar("select count(*) from pictureStore"), "0");
    }
    const RestoreOutcome outcome = folder.Restore(backups[0]);
    ASSERT_EQ(outcome.step, RestoreOutcome::Done) << outcome.result.detail;
    CADODatabase db;
    db.SetConnectionString(TestDb::kConnectionString);
    ASSERT_TRUE(db.Open());
    ExpectKept(db, nRecord, kept);
}

TEST(PictureBackupTest, ALedgerFromBeforeReceiptsListsNone) {
    COFFER_FILE_LEDGER_ONLY();
    TestDb test;
    test.Exec("DROP TRIGGER pictureLink_normalIncome; DROP TRIGGER pictureLink_normalPay; "
              "DROP TRIGGER pictureStore_unlinked; DROP TABLE pictureLink; DROP TABLE pictureStore");
    const ado::LedgerCopyResult counts = ado::ReadLedgerCounts(test.FilePath().string());
    EXPECT_EQ(counts.pictures, 0);
    EXPECT_EQ(CBackupTexts::Pictures(counts.pictures, counts.pictureBytes), "0");
    EXPECT_EQ(CBackupTexts::Pictures(-1, -1), "?");
}

TEST(PictureBackupTest, AFileLedgerMovedToAServerTakesItsReceiptsAndTheirTriggers) {
    if (!TestDb::OnServer())
        GTEST_SKIP() << "needs the test server";
    TestDb test;
    // A file ledger of the household's, with receipts, beside the test's server ledger.
    const std::filesystem::path file = test.Directory() / "家里.mdb";
    std::filesystem::copy_file(test.FilePath(), file);
    std::int64_t nRecord = 0;
    std::vector<Kept> kept;
    {
        CADODatabase db;
        db.SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file.string());
        ASSERT_TRUE(db.Open());
        kept = RecordWithReceipts(db, nRecord);
    }
    const std::string schema = "moved_" + std::to_string(getpid());
    test.Exec("CREATE SCHEMA " + schema);
    const std::string uri = TestDb::ServerUri(TestDb::kTestDatabase) +
                            "&options=-csearch_path%3D" + schema;
    std::string error;
    ASSERT_TRUE(ado::ServerLedger::CopyFromFile(file.string(), uri, error)) << error;
    ASSERT_TRUE(CLedgerAdditions::Complete(uri, error)) << error;
    {
        CADODatabase db;
        db.SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + uri);
        ASSERT_TRUE(db.Open());
        ExpectKept(db, nRecord, kept);
        EXPECT_EQ(DeleteRecord(db, nRecord), "0");
        std::int64_t count = -1, bytes = -1;
        CPictureStore(db).Totals(count, bytes);
        EXPECT_EQ(count, 0) << "the server's trigger took the receipts with the record";
    }
    test.Exec("DROP SCHEMA " + schema + " CASCADE");
}

TEST(PictureBackupTest, TheLedgersCsvExportSaysHowManyReceiptsEachRecordHas) {
    TestDb test;
    std::int64_t nRecord = 0;
    {
        CADODatabase db;
        db.SetConnectionString(TestDb::kConnectionString);
        ASSERT_TRUE(db.Open());
        RecordWithReceipts(db, nRecord);
    }
    test.Exec("INSERT INTO normalPay (支出人员, 支出金额, 支出日期, 支出项目) VALUES "
              "('爸爸', 3, '2024-05-02 08:00:00', '交通')");
    std::string error;
    ASSERT_TRUE(ExportLedger(TestDb::kConnectionString, test.Directory() / "账本.csv", false, error))
        << error;
    std::ifstream in(test.Directory() / "账本-支出.csv", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);)
        lines.push_back(line.substr(0, line.find_last_not_of('\r') + 1));
    ASSERT_EQ(lines.size(), 3u) << text.str();
    EXPECT_EQ(lines[0].substr(lines[0].rfind(',') + 1), "凭证");
    EXPECT_EQ(lines[1].substr(lines[1].rfind(',') + 1), "2");
    EXPECT_EQ(lines[2].substr(lines[2].rfind(',') + 1), "0");
    // Records without receipts export as they always did.
    std::ifstream incomeCsv(test.Directory() / "账本-收入.csv", std::ios::binary);
    std::string heading;
    std::getline(incomeCsv, heading);
    EXPECT_EQ(heading.find("凭证"), std::string::npos) << heading;
}

} // namespace
