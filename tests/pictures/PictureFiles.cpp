#include "tests/pictures/PictureFiles.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QPdfWriter>

#include <cstdint>

namespace picture_files {
namespace {

void Put16(std::string& out, unsigned value) {
    out += static_cast<char>((value >> 8) & 0xff);
    out += static_cast<char>(value & 0xff);
}

void Put32(std::string& out, std::uint32_t value) {
    Put16(out, value >> 16);
    Put16(out, value & 0xffff);
}

void Entry(std::string& out, unsigned tag, unsigned type, std::uint32_t count, std::uint32_t value,
           bool shortValue = false) {
    Put16(out, tag);
    Put16(out, type);
    Put32(out, count);
    if (shortValue) {
        Put16(out, value);
        Put16(out, 0);
    } else {
        Put32(out, value);
    }
}

// A big-endian TIFF block: IFD0 with the orientation and a pointer to a GPS IFD holding a
// latitude of 31° 14' 12.34" N.
std::string ExifBlock(int orientation) {
    std::string tiff = "MM";
    Put16(tiff, 42);
    Put32(tiff, 8);
    Put16(tiff, 2); // IFD0 at 8: 2 + 2 * 12 + 4 = 30 bytes
    Entry(tiff, 0x0112, 3, 1, static_cast<std::uint32_t>(orientation), true);
    Entry(tiff, 0x8825, 4, 1, 38);
    Put32(tiff, 0);
    Put16(tiff, 2); // GPS IFD at 38, its latitude's rationals at 68
    Put16(tiff, 0x0001);
    Put16(tiff, 2);
    Put32(tiff, 2);
    tiff += std::string("N\0\0\0", 4);
    Entry(tiff, 0x0002, 5, 3, 68);
    Put32(tiff, 0);
    for (std::uint32_t value : {31u, 1u, 14u, 1u, 1234u, 100u})
        Put32(tiff, value);
    return std::string("Exif\0\0", 6) + tiff;
}

} // namespace

QImage Halves(int width, int height, QColor left, QColor right) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(right);
    QPainter painter(&image);
    painter.fillRect(0, 0, width / 2, height, left);
    return image;
}

std::string Encode(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(95);
    if (!writer.write(image))
        return {};
    return bytes.toStdString();
}

std::string JpegWithExif(const QImage& image, int orientation) {
    const std::string jpeg = Encode(image, "jpeg");
    const std::string exif = ExifBlock(orientation);
    std::string segment = "\xff\xe1";
    Put16(segment, static_cast<unsigned>(exif.size() + 2));
    // Right after the start-of-image marker, where cameras put it.
    return jpeg.substr(0, 2) + segment + exif + jpeg.substr(2);
}

std::string RedSquarePdf() {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::A4));
        QPainter painter(&writer);
        painter.fillRect(QRect(0, 0, writer.width() / 2, writer.height() / 2), Qt::red);
    }
    return bytes.toStdString();
}

bool HasMetadata(const std::string& jpeg) {
    if (jpeg.find("Exif") != std::string::npos)
        return true;
    // Walk the segments up to the start of the scan.
    size_t at = 2;
    while (at + 4 <= jpeg.size() && static_cast<unsigned char>(jpeg[at]) == 0xff) {
        const auto marker = static_cast<unsigned char>(jpeg[at + 1]);
        if (marker == 0xe1)
            return true;
        if (marker == 0xda)
            break;
        const size_t length = (static_cast<unsigned char>(jpeg[at + 2]) << 8) |
                              static_cast<unsigned char>(jpeg[at + 3]);
        at += 2 + length;
    }
    return false;
}

QImage Decode(const std::string& bytes) {
    return QImage::fromData(QByteArray::fromStdString(bytes));
}

} // namespace picture_files
