#pragma once

#include "web/FormDecoding.h"

#include <string>
#include <string_view>
#include <vector>

/// A form that carries files (multipart/form-data), as a phone's browser sends 记一笔 with
/// its receipt photos. Pure functions over bytes, like the rest of the form decoding.
namespace web {

/// Parts one form may have: its fields, its pictures, and the empty parts a browser sends for
/// a file box left unused.
inline constexpr std::size_t kMaxParts = 40;
/// The headers of one part.
inline constexpr std::size_t kMaxPartHeadBytes = 1024;

/// One file of a form, its bytes as they came.
struct UploadedFile {
    std::string strName; ///< the form field it came in
    std::string strBytes;
};

/// The boundary named by a Content-Type header of multipart/form-data; false for another
/// type, or a boundary missing, empty, over 70 characters or of characters a boundary may
/// not hold.
bool MultipartBoundary(std::string_view contentType, std::string& boundary);

/// A multipart/form-data body into its text fields (held to the limits of DecodeForm) and its
/// files; a file box sent empty is left out. False for anything malformed: no or a bad
/// boundary, a part without the form-data disposition or a name, headers over their limit or
/// without a colon, a body that does not begin with the boundary or is cut off before the
/// closing one, too many parts, a field name given twice.
bool DecodeMultipart(std::string_view contentType, std::string_view body, Fields& fields,
                     std::vector<UploadedFile>& files);

} // namespace web
