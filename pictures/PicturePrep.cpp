#include "pictures/PicturePrep.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>

#include <poppler/qt6/poppler-qt6.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

// A drawing of the picture on a fresh white canvas: transparency flattened, and nothing of
// the source image (its text chunks, its colour profile) carried over to the writer.
QImage Canvas(const QImage& source, int maxSide) {
    QImage picture = source;
    if (picture.width() > maxSide || picture.height() > maxSide)
        picture = picture.scaled(maxSide, maxSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QImage canvas(picture.size(), QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    painter.drawImage(0, 0, picture);
    painter.end();
    return canvas;
}

std::string Jpeg(const QImage& image, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    if (!writer.write(image))
        return {};
    return bytes.toStdString();
}

// A PDF's first page, drawn large enough for the longest side to reach the limit.
QImage FirstPage(const QByteArray& bytes) {
    std::unique_ptr<Poppler::Document> document = Poppler::Document::loadFromData(bytes);
    if (!document || document->isLocked() || document->numPages() < 1)
        return {};
    std::unique_ptr<Poppler::Page> page = document->page(0);
    if (!page)
        return {};
    const QSizeF points = page->pageSizeF();
    const double longest = std::max(points.width(), points.height());
    if (longest <= 0)
        return {};
    const double dpi = 72.0 * CPicturePrep::kMaxSide / longest;
    document->setRenderHint(Poppler::Document::Antialiasing);
    document->setRenderHint(Poppler::Document::TextAntialiasing);
    return page->renderToImage(dpi, dpi);
}

} // namespace

bool CPicturePrep::FromBytes(const std::string& bytes, CPreparedPicture& picture,
                             std::string& strError) {
    if (bytes.size() > kMaxBytes) {
        strError = kTooLargeMessage;
        return false;
    }
    const QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QImage image;
    if (data.startsWith("%PDF-")) {
        image = FirstPage(data);
    } else {
        QBuffer buffer;
        buffer.setData(data);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        // Upright as the camera recorded it; the orientation mark itself goes with the rest.
        reader.setAutoTransform(true);
        // A big camera's photo is decoded at a fraction of its size: the decoder does that
        // cheaply, and the whole of it would not fit in the reader's memory limit.
        const QSize size = reader.size();
        if (size.isValid() && std::max(size.width(), size.height()) > 2 * kMaxSide)
            reader.setScaledSize(size.scaled(2 * kMaxSide, 2 * kMaxSide, Qt::KeepAspectRatio));
        image = reader.read();
    }
    if (image.isNull()) {
        strError = kUnreadableMessage;
        return false;
    }
    return FromImage(image, picture, strError);
}

bool CPicturePrep::FromFile(const std::string& path, CPreparedPicture& picture,
                            std::string& strError) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error) {
        strError = kNoFileMessage;
        return false;
    }
    if (size > kMaxBytes) {
        strError = kTooLargeMessage;
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        strError = kNoFileMessage;
        return false;
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return FromBytes(bytes, picture, strError);
}

bool CPicturePrep::FromImage(const QImage& image, CPreparedPicture& picture,
                             std::string& strError) {
    if (image.isNull() || image.width() < 1 || image.height() < 1) {
        strError = kUnreadableMessage;
        return false;
    }
    const QImage canvas = Canvas(image, kMaxSide);
    picture.strJpeg = Jpeg(canvas, kQuality);
    picture.strThumbnail = Jpeg(Canvas(canvas, kThumbnailSide), 80);
    if (picture.strJpeg.empty() || picture.strThumbnail.empty()) {
        strError = kUnreadableMessage;
        return false;
    }
    picture.nWidth = canvas.width();
    picture.nHeight = canvas.height();
    picture.strHash = QCryptographicHash::hash(QByteArray::fromStdString(picture.strJpeg),
                                               QCryptographicHash::Sha256)
                          .toHex()
                          .toStdString();
    return true;
}
