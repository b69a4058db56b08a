// What a receipt becomes before the ledger keeps it: upright, shrunk, stripped of the
// camera's data and the location, one name per content, and plain words for what is refused.
#include "pictures/PicturePrep.h"

#include "tests/pictures/PictureFiles.h"
#include "tests/support/TempDir.h"

#include <QBuffer>
#include <QImageReader>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using namespace picture_files;

bool Near(QColor got, QColor wanted) {
    return std::abs(got.red() - wanted.red()) < 40 && std::abs(got.green() - wanted.green()) < 40 &&
           std::abs(got.blue() - wanted.blue()) < 40;
}

TEST(PicturePrepTest, TheCamerasOrientationIsAppliedAndNothingOfItsDataIsKept) {
    // 40 × 20, red on the left: a phone held upright records it turned (orientation 6).
    const std::string photo = JpegWithExif(Halves(40, 20, Qt::red, Qt::blue), 6);
    {
        // The photo does carry what a phone writes: Qt's own reader sees the orientation.
        QBuffer buffer;
        buffer.setData(QByteArray::fromStdString(photo));
        QImageReader reader(&buffer);
        reader.setAutoTransform(true);
        ASSERT_EQ(reader.read().size(), QSize(20, 40));
        ASSERT_TRUE(HasMetadata(photo));
    }
    CPreparedPicture picture;
    std::string error;
    ASSERT_TRUE(CPicturePrep::FromBytes(photo, picture, error)) << error;
    EXPECT_EQ(picture.nWidth, 20);
    EXPECT_EQ(picture.nHeight, 40);
    EXPECT_FALSE(HasMetadata(picture.strJpeg)) << "the EXIF block, GPS included, is gone";
    EXPECT_FALSE(HasMetadata(picture.strThumbnail));
    const QImage kept = Decode(picture.strJpeg);
    ASSERT_EQ(kept.size(), QSize(20, 40));
    // Turned a quarter clockwise: what was on the left is now on top.
    EXPECT_TRUE(Near(kept.pixelColor(10, 5), Qt::red)) << kept.pixelColor(10, 5).name().toStdString();
    EXPECT_TRUE(Near(kept.pixelColor(10, 35), Qt::blue));
}

struct Kind {
    const char* name;
    std::string bytes;
    QSize size;      // what the ledger keeps
    QColor topLeft;  // the colour amid the top left quarter
};


TEST(PicturePrepTest, EveryKindIsKeptAsAJpegShrunkToTheLongestSide) {
    const std::vector<Kind> kinds = {
        {"small png stays its size", Encode(Halves(300, 200, Qt::green, Qt::white), "png"),
         QSize(300, 200), Qt::green},
        {"wide png", Encode(Halves(3000, 1500, Qt::red, Qt::white), "png"), QSize(2000, 1000),
         Qt::red},
        {"tall webp", Encode(Halves(1200, 4800, Qt::blue, Qt::white), "webp"), QSize(500, 2000),
         Qt::blue},
        {"pdf's first page", RedSquarePdf(), QSize(1414, 2000), Qt::red},
    };
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.name);
        ASSERT_FALSE(kind.bytes.empty());
        CPreparedPicture picture;
        std::string error;
        ASSERT_TRUE(CPicturePrep::FromBytes(kind.bytes, picture, error)) << error;
        const QImage kept = Decode(picture.strJpeg);
        ASSERT_FALSE(kept.isNull());
        EXPECT_EQ(picture.strJpeg.substr(0, 3), "\xff\xd8\xff");
        EXPECT_NEAR(kept.width(), kind.size.width(), 1);
        EXPECT_NEAR(kept.height(), kind.size.height(), 1);
        EXPECT_EQ(QSize(picture.nWidth, picture.nHeight), kept.size());
        const QPoint amid(kept.width() / 4, kept.height() / 4);
        EXPECT_TRUE(Near(kept.pixelColor(amid), kind.topLeft))
            << kept.pixelColor(amid).name().toStdString();
        const QImage thumbnail = Decode(picture.strThumbnail);
        EXPECT_EQ(std::max(thumbnail.width(), thumbnail.height()),
                  std::min(CPicturePrep::kThumbnailSide, std::max(kept.width(), kept.height())));
    }
}

TEST(PicturePrepTest, TheSameContentGetsTheSameNameAndOtherContentAnother) {
    const std::string photo = Encode(Halves(64, 48, Qt::yellow, Qt::black), "png");
    CPreparedPicture first;
    CPreparedPicture again;
    CPreparedPicture other;
    std::string error;
    ASSERT_TRUE(CPicturePrep::FromBytes(photo, first, error));
    ASSERT_TRUE(CPicturePrep::FromBytes(photo, again, error));
    ASSERT_TRUE(CPicturePrep::FromBytes(Encode(Halves(64, 48, Qt::black, Qt::yellow), "png"),
                                        other, error));
    EXPECT_EQ(first.strHash.size(), 64u);
    EXPECT_EQ(first.strHash, again.strHash);
    EXPECT_NE(first.strHash, other.strHash);
}

TEST(PicturePrepTest, WhatIsNoPictureOrTooLargeIsRefusedInPlainWords) {
    const std::string photo = Encode(Halves(64, 48, Qt::red, Qt::blue), "jpeg");
    std::string oversized = photo;
    oversized.resize(CPicturePrep::kMaxBytes + 1, '\0');
    const struct {
        const char* name;
        std::string bytes;
        const char* message;
    } cases[] = {
        {"empty", "", CPicturePrep::kUnreadableMessage},
        {"text", "这不是图片，只是几个字。", CPicturePrep::kUnreadableMessage},
        {"broken pdf", "%PDF-1.4\nnothing else", CPicturePrep::kUnreadableMessage},
        {"png header only", Encode(Halves(8, 8, Qt::red, Qt::blue), "png").substr(0, 40),
         CPicturePrep::kUnreadableMessage},
        {"over 20 MB", oversized, CPicturePrep::kTooLargeMessage},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.name);
        CPreparedPicture picture;
        std::string error;
        EXPECT_FALSE(CPicturePrep::FromBytes(each.bytes, picture, error));
        EXPECT_EQ(error, each.message);
        EXPECT_TRUE(picture.strJpeg.empty());
    }
}

TEST(PicturePrepTest, AFileOverTheLimitIsRefusedAndAMissingOneSaysSo) {
    testing_support::TempDir dir;
    const std::filesystem::path big = dir.Path() / "大.jpg";
    {
        std::ofstream out(big, std::ios::binary);
        out << Encode(Halves(16, 16, Qt::red, Qt::blue), "jpeg");
    }
    std::filesystem::resize_file(big, CPicturePrep::kMaxBytes + 1);
    CPreparedPicture picture;
    std::string error;
    EXPECT_FALSE(CPicturePrep::FromFile(big.string(), picture, error));
    EXPECT_EQ(error, CPicturePrep::kTooLargeMessage);
    EXPECT_FALSE(CPicturePrep::FromFile((dir.Path() / "没有.jpg").string(), picture, error));
    EXPECT_EQ(error, CPicturePrep::kNoFileMessage);
    std::filesystem::resize_file(big, 1000);
    EXPECT_TRUE(CPicturePrep::FromFile(big.string(), picture, error)) << error;
}

} // namespace
