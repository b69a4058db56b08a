#include "exchange/TextEncoding.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

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
    text.assign(bytes.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char* out = text.data();
    size_t outLeft = text.size();
    while (inLeft > 0) {
        if (iconv(converter.Get(), &in, &inLeft, &out, &outLeft) != static_cast<size_t>(-1))
            continue;
        if (errno == E2BIG) {
            const size_t used = static_cast<size_t>(out - text.data());
            text.resize(text.size() * 2);
            out = text.data() + used;
            outLeft = text.size() - used;
            continue;
        }
        const auto consumed = static_cast<size_t>(in - bytes.data());
        const auto line = 1 + std::count(bytes.begin(), bytes.begin() + consumed, '\n');
        strError = "第 " + std::to_string(line) + " 行不是有效的 GB18030 文本";
        return false;
    }
    text.resize(static_cast<size_t>(out - text.data()));
    return true;
}
