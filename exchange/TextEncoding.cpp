#include "exchange/TextEncoding.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

class Iconv {
public:
    Iconv(const char* to, const char* from) : m_handle(iconv_open(to, from)) {}
    ~Iconv() {
        if (Ok())
            iconv_close(m_handle);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    bool Ok() const { return m_handle != reinterpret_cast<iconv_t>(-1); }
    iconv_t Get() const { return m_handle; }

private:
    iconv_t m_handle;
};

// Appends `bytes` converted; false with `failedAt` one past where the conversion failed.
bool Convert(iconv_t converter, std::string_view bytes, std::string& text, size_t& failedAt) {
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    while (inLeft > 0) {
        const size_t used = text.size();
        text.resize(used + inLeft * 2 + 16);
        char* out = text.data() + used;
        size_t outLeft = text.size() - used;
        const size_t rc = iconv(converter, &in, &inLeft, &out, &outLeft);
        text.resize(static_cast<size_t>(out - text.data()));
        if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
            failedAt = static_cast<size_t>(in - bytes.data()) + 1;
            return false;
        }
    }
    return true;
}

} // namespace

const char* EncodingName(TextEncoding encoding) {
    return encoding == TextEncoding::Utf8 ? "UTF-8" : "GB18030";
}

bool HasUtf8Bom(std::string_view bytes) {
    return bytes.substr(0, 3) == "\xEF\xBB\xBF";
}

bool IsValidUtf8(std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        // ASCII eight bytes at a time: most of a file is digits, dates and separators.
        std::uint64_t word = 0;
        if (end - p >= 8 && (std::memcpy(&word, p, 8), (word & 0x8080808080808080u) == 0)) {
            p += 8;
            continue;
        }
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int length = 0;
        unsigned min = 0;
        unsigned code = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2, min = 0x80, code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3, min = 0x800, code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4, min = 0x10000, code = c & 0x07;
        } else {
            return false;
        }
        if (end - p < length)
            return false;
        for (int i = 1; i < length; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (p[i] & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if (code < min || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
            return false;
        p += length;
    }
    return true;
}

TextEncoding DetectEncoding(std::string_view bytes) {
    if (HasUtf8Bom(bytes) || IsValidUtf8(bytes))
        return TextEncoding::Utf8;
    return TextEncoding::Gb18030;
}

bool DecodeText(std::string_view bytes, TextEncoding encoding, std::string& text,
                std::string& strError) {
    if (HasUtf8Bom(bytes))
        bytes.remove_prefix(3);
    if (encoding == TextEncoding::Utf8) {
        text.assign(bytes);
        return true;
    }
    Iconv converter("UTF-8", "GB18030");
    if (!converter.Ok()) {
        strError = "系统不支持 GB18030 编码";
        return false;
    }
    // GB18030 leaves ASCII as it is and keeps no state from one character to the next, and
    // iconv costs much per call: ASCII is copied, each two-byte character is converted once
    // and remembered (a bill uses a few hundred of them), the rare four-byte ones and
    // whatever is not GB18030 go to iconv as they come.
    struct Known {
        unsigned char nLength = 0; // 0: not converted yet
        char utf8[4] = {};
    };
    std::vector<Known> known(0x7F * 0x100);
    // Written through a pointer into room made a block of the bytes at a time: a character's
    // few bytes are not worth a string append, nor a check for room, each. The room is
    // reserved for the whole text but made block by block, so that only the pages written
    // are touched: on a bill of several megabytes, fresh pages cost more than the decoding.
    // A block's worst case is half as long again as its bytes (a two-byte character becomes
    // at most three), plus a character that runs past its end and the spare bytes of a
    // remembered character, which is copied whole.
    constexpr size_t kBlock = 32 * 1024;
    text.clear();
    text.reserve(bytes.size() + bytes.size() / 2 + 16);
    const auto byte = [&bytes](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    size_t out = 0;
    size_t failedAt = 0;
    for (size_t at = 0; at < bytes.size() && failedAt == 0;) {
        const size_t blockEnd = std::min(bytes.size(), at + kBlock);
        text.resize(std::max(text.size(), out + (blockEnd - at) / 2 * 3 + 16));
        char* o = text.data() + out;
        while (at < blockEnd) {
            const unsigned char lead = byte(at);
            if (lead < 0x80) {
                std::uint64_t word = 0;
                while (blockEnd - at >= 8 &&
                       (std::memcpy(&word, bytes.data() + at, 8), (word & 0x8080808080808080u) == 0)) {
                    std::memcpy(o, &word, 8);
                    o += 8;
                    at += 8;
                }
                while (at < blockEnd && byte(at) < 0x80)
                    *o++ = bytes[at++];
                continue;
            }
            const unsigned char trail = at + 1 < bytes.size() ? byte(at + 1) : 0;
            const bool bKept = lead >= 0x81 && lead <= 0xFE && trail >= 0x40 && trail <= 0xFE &&
                               trail != 0x7F;
            Known* entry = bKept ? &known[(lead - 0x80) * 0x100 + trail] : nullptr;
            if (entry && entry->nLength != 0) {
                std::memcpy(o, entry->utf8, sizeof entry->utf8);
                o += entry->nLength;
                at += 2;
                continue;
            }
            const bool bFourBytes = trail >= 0x30 && trail <= 0x39;
            const size_t length = std::min<size_t>(bFourBytes ? 4 : 2, bytes.size() - at);
            std::string converted;
            if (!Convert(converter.Get(), bytes.substr(at, length), converted, failedAt)) {
                failedAt += at;
                break;
            }
            if (entry && converted.size() <= sizeof entry->utf8) {
                entry->nLength = static_cast<unsigned char>(converted.size());
                std::memcpy(entry->utf8, converted.data(), converted.size());
            }
            std::memcpy(o, converted.data(), converted.size());
            o += converted.size();
            at += length;
        }
        out = static_cast<size_t>(o - text.data());
    }
    text.resize(out);
    if (failedAt != 0) {
        const auto line = 1 + std::count(bytes.begin(), bytes.begin() + failedAt - 1, '\n');
        strError = "第 " + std::to_string(line) + " 行不是有效的 GB18030 文本";
        return false;
    }
    return true;
}
