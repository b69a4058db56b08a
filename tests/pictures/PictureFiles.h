#pragma once

#include <QColor>
#include <QImage>

#include <string>

namespace picture_files {

/// A picture of two halves, `left` and `right`, side by side.
QImage Halves(int width, int height, QColor left, QColor right);
/// The image in a format Qt writes ("jpeg", "png", "webp").
std::string Encode(const QImage& image, const char* format);
/// A JPEG of `image` carrying a camera's EXIF block: orientation `orientation` and a GPS
/// position, as a phone writes it.
std::string JpegWithExif(const QImage& image, int orientation);
/// A one-page PDF showing a red square on white.
std::string RedSquarePdf();
/// True when the JPEG holds an APP1 segment (where EXIF and XMP live) or the word "Exif".
bool HasMetadata(const std::string& jpeg);
/// The image in the JPEG bytes.
QImage Decode(const std::string& bytes);

} // namespace picture_files
