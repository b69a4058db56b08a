#pragma once

#include <string>
#include <string_view>

/// The encodings an imported file may be in: UTF-8 (with or without a byte-order mark), or
/// GB18030, which covers the GBK that Chinese spreadsheets write.
enum class TextEncoding { Utf8, Gb18030 };

const char* EncodingName(TextEncoding encoding);
bool IsValidUtf8(std::string_view text);
/// A byte-order mark says UTF-8; so does text that is valid UTF-8; anything else is taken as
/// GB18030.
TextEncoding DetectEncoding(std::string_view bytes);
bool HasUtf8Bom(std::string_view bytes);

/// The bytes as UTF-8 (a UTF-8 byte-order mark dropped). UTF-8 input is taken as it is (its
/// lines are checked when read); GB18030 goes through iconv. False with the reason in
/// `strError` when the bytes are not GB18030.
bool DecodeText(std::string_view bytes, TextEncoding encoding, std::string& text,
                std::string& strError);
