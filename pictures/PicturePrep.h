#pragma once

#include "pictures/PreparedPicture.h"

#include <cstddef>
#include <string>

class QImage;

/// Turns what a user hands in (a photo, a scan, a PDF's first page, a pasted picture) into
/// the picture the ledger keeps: turned upright as the camera recorded, shrunk, re-encoded
/// with nothing of the original file left (no camera data, no location), with its thumbnail.
class CPicturePrep {
public:
    static constexpr std::size_t kMaxBytes = 20u * 1024u * 1024u;
    static constexpr int kMaxSide = 2000;
    static constexpr int kThumbnailSide = 160;
    static constexpr int kQuality = 85;

    static constexpr const char* kTooLargeMessage = "这个文件超过20MB，不能作为凭证！";
    static constexpr const char* kUnreadableMessage =
        "这个文件不是能识别的图片（JPEG、PNG、WebP）或PDF，不能作为凭证！";
    static constexpr const char* kNoFileMessage = "这个文件打不开！";

    /// From a file's bytes (JPEG, PNG, WebP, or a PDF, whose first page is drawn). False with
    /// the message for the user when it is too large or does not decode.
    static bool FromBytes(const std::string& bytes, CPreparedPicture& picture,
                          std::string& strError);
    /// The same for a file on disk; a file over the limit is refused before it is read.
    static bool FromFile(const std::string& path, CPreparedPicture& picture,
                         std::string& strError);
    /// From a picture already decoded (pasted from the clipboard).
    static bool FromImage(const QImage& image, CPreparedPicture& picture, std::string& strError);
};
