// Receipt photos sent with 记一笔 from the phone, on both engines: stored and linked in the
// record's own transaction, refused in the windows' words, and never twice for a retry.
#include "web/PhoneLedger.h"

#include "pictures/PicturePrep.h"
#include "tests/pictures/PictureFiles.h"
#include "web/PhoneTexts.h"

#include "tests/support/TestDb.h"

#include <gtest/gtest.h>

namespace {

using testing_support::TestDb;

constexpr qint64 kNow = 1796630400; // 2026-12-07

CPhoneLedger::Entry Pay(const std::string& amount) {
    CPhoneLedger::Entry entry;
    entry.strAmount = amount;
    entry.strMember = "妈妈";
    entry.strItem = "餐饮";
    entry.strWhen = "2026-12-07T12:30";
    return entry;
}

// A phone's photo: a JPEG lying on its side with the camera's orientation and position in it.
std::string Photo(QColor right = Qt::blue) {
    return picture_files::JpegWithExif(picture_files::Halves(400, 300, Qt::red, right), 6);
}

class PhonePicturesTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(m_ledger.Open(error)) << error;
    }
    // Records, submissions, stored pictures and links, as one line to compare.
    std::string Counts() const {
        std::string counts;
        for (const char* table : {"normalPay", "phoneSubmission", "pictureStore", "pictureLink"})
            counts += (counts.empty() ? "" : " ") + db.Scalar(std::string("select count(*) from ") + table);
        return counts;
    }

    TestDb db;
    CPhoneLedger m_ledger{TestDb::kConnectionString};
};

TEST_F(PhonePicturesTest, APhotoGoesWithItsRecordAndARetryWritesNothingNew) {
    const std::vector<std::string> photos = {Photo()};
    const PhoneWriteResult first = m_ledger.Submit("photo-submission-0001", "phone1", Pay("12.5"), kNow, photos);
    ASSERT_TRUE(first.bWritten) << first.strMessage;
    EXPECT_EQ(first.strMessage, "数据添加成功！\n已附凭证1张。");
    EXPECT_EQ(Counts(), "1 1 1 1");
    ASSERT_TRUE(m_ledger.Submit("photo-submission-0002", "phone1", Pay("3"), kNow).bWritten);
    const std::vector<CPhoneLedger::Record> month = m_ledger.MonthRecords("妈妈", COleDateTime(2026, 12, 7, 13, 0, 0));
    ASSERT_EQ(month.size(), 2u);
    EXPECT_EQ(month[0].bPictures, month[0].nId == first.nRecord);
    EXPECT_EQ(month[1].bPictures, month[1].nId == first.nRecord);
    EXPECT_EQ(db.Scalar("select 表 || ':' || 编号 from pictureLink"), "normalPay:" + std::to_string(first.nRecord));
    // Kept as the windows keep a picture: upright (the photo lay on its side) and without
    // the camera's data.
    const std::string kept = db.Scalar("select 宽 || 'x' || 高 from pictureStore");
    EXPECT_EQ(kept, "300x400");
    // The answer was lost; the phone sends the same submission again, photo and all.
    const PhoneWriteResult again = m_ledger.Submit("photo-submission-0001", "phone1", Pay("12.5"), kNow + 3, photos);
    EXPECT_TRUE(again.bWritten);
    EXPECT_EQ(again.strMessage, first.strMessage);
    EXPECT_EQ(again.nRecord, first.nRecord);
    EXPECT_EQ(Counts(), "2 2 1 1");
}

TEST_F(PhonePicturesTest, RefusedPhotosSayWhyAndWriteNothing) {
    struct Case {
        const char* what;
        std::vector<std::string> photos;
        std::string message;
    };
    const Case cases[] = {
        {"not a picture", {Photo(), "this is no picture"}, CPicturePrep::kUnreadableMessage},
        {"over 20 MB", {std::string(CPicturePrep::kMaxBytes + 1, '\xff')}, CPicturePrep::kTooLargeMessage},
        {"five at once", std::vector<std::string>(CPhoneLedger::kMaxPictures + 1, Photo()),
         PhoneTexts::kTooManyPictures},
    };
    int n = 0;
    for (const Case& c : cases) {
        const PhoneWriteResult result =
            m_ledger.Submit("refused-photo-" + std::to_string(++n) + "-000000", "phone1", Pay("5"), kNow, c.photos);
        EXPECT_FALSE(result.bWritten) << c.what;
        EXPECT_EQ(result.strMessage, c.message) << c.what;
    }
    EXPECT_EQ(db.Scalar("select count(*) from normalPay"), "0");
    EXPECT_EQ(db.Scalar("select count(*) from phoneSubmission"), "0");
    // Refused, so not remembered: the same submission with a good photo is written.
    EXPECT_TRUE(m_ledger.Submit("refused-photo-1-000000", "phone1", Pay("5"), kNow, {Photo()}).bWritten);
    EXPECT_EQ(Counts(), "1 1 1 1");
}

TEST_F(PhonePicturesTest, AFailureAfterThePhotosLeavesNeitherRecordNorPhoto) {
    db.FailInsertsFrom("phoneSubmission", 0, "disk full");
    EXPECT_ANY_THROW(m_ledger.Submit("failing-submission-01", "phone1", Pay("5"), kNow, {Photo()}));
    db.ClearInsertFault("phoneSubmission");
    EXPECT_EQ(Counts(), "0 0 0 0");
}

TEST_F(PhonePicturesTest, TheCorrectionAddsAPhotoOnceHoweverOftenItIsSent) {
    ASSERT_TRUE(m_ledger.Submit("correct-photo-000001", "phone1", Pay("30"), kNow, {Photo()}).bWritten);
    // The same photo again is linked already; a new one is added.
    const std::vector<std::string> photos = {Photo(), Photo(Qt::green)};
    const PhoneWriteResult corrected = m_ledger.Correct("phone1", Pay("35"), kNow + 60, photos);
    ASSERT_TRUE(corrected.bWritten) << corrected.strMessage;
    EXPECT_EQ(corrected.strMessage, "记录已更正！\n已附凭证2张。");
    EXPECT_EQ(Counts(), "1 1 2 2");
    EXPECT_EQ(m_ledger.Correct("phone1", Pay("35"), kNow + 70, photos).strMessage, corrected.strMessage);
    EXPECT_EQ(Counts(), "1 1 2 2");
    EXPECT_EQ(m_ledger.LastRecord("phone1", kNow + 80)->nPictures, 2);
    // A refused photo refuses the whole correction.
    EXPECT_EQ(m_ledger.Correct("phone1", Pay("99"), kNow + 90, {"garbage"}).strMessage,
              CPicturePrep::kUnreadableMessage);
    EXPECT_EQ(db.Scalar("select count(*) from normalPay where 支出金额 = 35"), "1");
}

} // namespace
