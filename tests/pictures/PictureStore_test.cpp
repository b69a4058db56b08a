// Receipts kept in the ledger, on both engines: once per content, linked to records, and gone
// with the last record that had them, whichever process deletes it.
#include "pictures/PictureStore.h"

#include "backup/BackupFolder.h"
#include "data/ADODatabase.h"
#include "data/ADORecordset.h"
#include "data/InTransaction.h"
#include "pictures/PicturePrep.h"
#include "tests/pictures/PictureFiles.h"
#include "tests/support/TestDb.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>

#include <cstdlib>
#include <sstream>

namespace {

using testing_support::TestDb;

CPreparedPicture Prepared(QColor left, QColor right) {
    CPreparedPicture picture;
    std::string error;
    EXPECT_TRUE(CPicturePrep::FromBytes(
        picture_files::Encode(picture_files::Halves(120, 80, left, right), "png"), picture, error))
        << error;
    return picture;
}

class PictureStoreTest : public testing::Test {
protected:
    PictureStoreTest() {
        m_db.SetConnectionString(TestDb::kConnectionString);
        EXPECT_TRUE(m_db.Open());
    }

    std::int64_t Record(const std::string& table) {
        const std::string prefix = table == "normalIncome" ? "收入" : "支出";
        m_test.Exec("INSERT INTO " + table + " (" + prefix + "人员, " + prefix + "金额, " + prefix +
                    "日期, " + prefix + "项目) VALUES ('爸爸', 12.5, '2024-03-01 08:00:00', '其他')");
        return std::stoll(m_test.Scalar("SELECT MAX(编号) FROM " + table));
    }

    std::int64_t Attach(const std::string& table, std::int64_t record,
                        const CPreparedPicture& picture) {
        std::int64_t id = 0;
        InTransaction(m_db, [&] { id = CPictureStore(m_db).Attach(table, record, picture); });
        return id;
    }

    std::string Count(const std::string& table) { return m_test.Scalar("SELECT COUNT(*) FROM " + table); }

    TestDb m_test;
    CADODatabase m_db;
};

TEST_F(PictureStoreTest, APictureIsStoredOnceAndComesBackByteForByte) {
    const CPreparedPicture receipt = Prepared(Qt::red, Qt::white);
    const std::int64_t pay = Record("normalPay");
    const std::int64_t income = Record("normalIncome");
    const std::int64_t id = Attach("normalPay", pay, receipt);
    ASSERT_NE(id, 0);
    EXPECT_EQ(Attach("normalIncome", income, receipt), id) << "the same content is linked";
    EXPECT_EQ(Attach("normalPay", pay, receipt), id) << "attached twice, kept once";
    EXPECT_EQ(Count("pictureStore"), "1");
    EXPECT_EQ(Count("pictureLink"), "2");

    CPictureStore store(m_db);
    EXPECT_EQ(store.Picture(id), receipt.strJpeg);
    const auto thumbnails = store.Thumbnails("normalPay", pay);
    ASSERT_EQ(thumbnails.size(), 1u);
    EXPECT_EQ(thumbnails[0].nId, id);
    EXPECT_EQ(thumbnails[0].strThumbnail, receipt.strThumbnail);
    EXPECT_EQ(thumbnails[0].nBytes, static_cast<std::int64_t>(receipt.strJpeg.size()));
    EXPECT_EQ(thumbnails[0].nWidth, receipt.nWidth);
    EXPECT_EQ(store.Count("normalIncome", income), 1);
    EXPECT_EQ(store.RecordsWithPictures("normalPay"), std::unordered_set<std::int64_t>{pay});
}

TEST_F(PictureStoreTest, ARecordsPicturesKeepTheirOrderAndAMissingRecordGetsNone) {
    const std::int64_t pay = Record("normalPay");
    const std::int64_t first = Attach("normalPay", pay, Prepared(Qt::red, Qt::white));
    const std::int64_t second = Attach("normalPay", pay, Prepared(Qt::green, Qt::white));
    const std::int64_t third = Attach("normalPay", pay, Prepared(Qt::blue, Qt::white));
    std::vector<std::int64_t> order;
    for (const auto& thumbnail : CPictureStore(m_db).Thumbnails("normalPay", pay))
        order.push_back(thumbnail.nId);
    EXPECT_EQ(order, (std::vector<std::int64_t>{first, second, third}));
    EXPECT_EQ(Attach("normalPay", pay + 100, Prepared(Qt::cyan, Qt::white)), 0);
    EXPECT_EQ(Count("pictureStore"), "3");
}

TEST_F(PictureStoreTest, DetachingForgetsAPictureOnlyWhenNoRecordHasItAnyMore) {
    const CPreparedPicture shared = Prepared(Qt::red, Qt::white);
    const std::int64_t a = Record("normalPay");
    const std::int64_t b = Record("normalPay");
    const std::int64_t id = Attach("normalPay", a, shared);
    Attach("normalPay", b, shared);
    CPictureStore store(m_db);
    store.Detach("normalPay", a, id);
    EXPECT_EQ(store.Count("normalPay", a), 0);
    EXPECT_EQ(store.Picture(id), shared.strJpeg) << "b still has it";
    store.Detach("normalPay", b, id);
    EXPECT_EQ(Count("pictureStore"), "0");
}

// The delete comes from another process, as from a second running copy of Coffer or a tool:
// this test program again, running only the test below, told what to delete.
const char* const kDeleteOrder = "COFFER_TEST_PICTURE_DELETE";

void DeleteInAnotherProcess(const std::string& table, std::int64_t record) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(kDeleteOrder, QString::fromStdString(table + " " + std::to_string(record)));
    QProcess child;
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_filter=PictureStoreChild.DeletesTheRecordItIsToldTo"});
    ASSERT_TRUE(child.waitForFinished(120000));
    const QByteArray output = child.readAllStandardOutput();
    ASSERT_EQ(child.exitCode(), 0) << output.toStdString();
    ASSERT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
}

TEST(PictureStoreChild, DeletesTheRecordItIsToldTo) {
    const char* order = std::getenv(kDeleteOrder);
    if (!order)
        GTEST_SKIP() << "run by the test below, in a process of its own";
    std::istringstream words(order);
    std::string table;
    std::int64_t record = 0;
    words >> table >> record;
    CADODatabase other;
    other.SetConnectionString(TestDb::kConnectionString);
    ASSERT_TRUE(other.Open());
    CADORecordset rs(&other);
    rs.Open("DELETE FROM " + table + " WHERE 编号 = " + std::to_string(record),
            CADORecordset::ModeUnknown);
    EXPECT_EQ(CPictureStore(other).Count(table, record), 0);
}

TEST_F(PictureStoreTest, ADeletedRecordTakesItsLinksAndItsOwnPicturesAlsoFromAnotherProcess) {
    for (const std::string table : {"normalIncome", "normalPay"}) {
        SCOPED_TRACE(table);
        const CPreparedPicture own = Prepared(Qt::red, Qt::white);
        const CPreparedPicture shared = Prepared(Qt::blue, Qt::white);
        const std::int64_t doomed = Record(table);
        const std::int64_t kept = Record(table);
        Attach(table, doomed, own);
        const std::int64_t sharedId = Attach(table, doomed, shared);
        Attach(table, kept, shared);

        DeleteInAnotherProcess(table, doomed);
        CPictureStore store(m_db);
        EXPECT_EQ(store.Count(table, doomed), 0);
        EXPECT_EQ(Count("pictureStore"), "1") << "its own picture went with it";
        EXPECT_EQ(store.Picture(sharedId), shared.strJpeg);

        DeleteInAnotherProcess(table, kept);
        EXPECT_EQ(Count("pictureStore"), "0");
        EXPECT_EQ(Count("pictureLink"), "0");
    }
}

TEST_F(PictureStoreTest, TheTablesAreMadeOnlyAfterAVerifiedBackup) {
    COFFER_FILE_LEDGER_ONLY();
    // A ledger from before the pictures.
    m_test.Exec("DROP TRIGGER pictureLink_normalIncome; DROP TRIGGER pictureLink_normalPay; "
                "DROP TRIGGER pictureStore_unlinked; DROP TABLE pictureLink; "
                "DROP TABLE pictureStore; PRAGMA user_version = 4");
    CPictureStore store(m_db);
    EXPECT_FALSE(store.Present());
    EXPECT_TRUE(store.Thumbnails("normalPay", 1).empty());
    std::string error;
    ASSERT_TRUE(store.Ensure(error)) << error;
    EXPECT_TRUE(store.Present());
    EXPECT_EQ(CBackupFolder(m_test.FilePath().string()).List().size(), 1u);
    const std::int64_t pay = Record("normalPay");
    EXPECT_NE(Attach("normalPay", pay, Prepared(Qt::red, Qt::white)), 0);
}

} // namespace
