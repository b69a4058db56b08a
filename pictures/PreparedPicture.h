#pragma once

#include <string>

/// A picture as the ledger keeps it: shrunk, re-encoded as JPEG without any of the file's
/// metadata, its thumbnail made once beside it, and named by the hash of its bytes.
struct CPreparedPicture {
    std::string strJpeg;      ///< the picture's JPEG bytes
    std::string strThumbnail; ///< a small JPEG for the strips
    std::string strHash;      ///< SHA-256 of strJpeg, lower-case hex
    int nWidth = 0;
    int nHeight = 0;
};
