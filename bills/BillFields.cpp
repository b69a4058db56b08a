#include "bills/BillFields.h"

#include "records/RecordWriter.h"

#include <array>

namespace {

bool IsPadding(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

std::string CleanBillField(std::string_view text) {
    return std::string(TrimBillField(text));
}

std::string_view TrimBillField(std::string_view text) {
    static const std::string_view kWideSpace = "\xE3\x80\x80";
    for (bool bTrimmed = true; bTrimmed;) {
        bTrimmed = false;
        while (!text.empty() && IsPadding(static_cast<unsigned char>(text.front())))
            text.remove_prefix(1), bTrimmed = true;
        while (!text.empty() && IsPadding(static_cast<unsigned char>(text.back())))
            text.remove_suffix(1), bTrimmed = true;
        if (text.substr(0, kWideSpace.size()) == kWideSpace)
            text.remove_prefix(kWideSpace.size()), bTrimmed = true;
        if (text.size() >= kWideSpace.size() &&
            text.substr(text.size() - kWideSpace.size()) == kWideSpace)
            text.remove_suffix(kWideSpace.size()), bTrimmed = true;
    }
    return text == "/" ? std::string_view() : text;
}

bool ParseBillTime(std::string_view text, COleDateTime& when) {
    std::array<int, 6> parts = {};
    int nParts = 0;
    bool bInNumber = false;
    std::size_t nFirstDigits = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            if (!bInNumber) {
                if (nParts == 6)
                    return false;
                ++nParts;
                bInNumber = true;
            }
            if (nParts == 1)
                ++nFirstDigits;
            int& part = parts[nParts - 1];
            if (part > 9999 && !(nParts == 1 && nFirstDigits <= 8))
                return false;
            part = part * 10 + (c - '0');
        } else {
            if (c != '-' && c != '/' && c != ' ' && c != ':' && c != '.' && c != 'T')
                return false;
            bInNumber = false;
        }
    }
    // Banks write a date as eight digits ("20240305"), a time after it or not.
    if (nFirstDigits == 8 && (nParts == 1 || nParts == 3 || nParts == 4)) {
        const int nDate = parts[0];
        const std::array<int, 3> time = {parts[1], parts[2], nParts == 4 ? parts[3] : 0};
        return when.SetDateTime(nDate / 10000, nDate / 100 % 100, nDate % 100, time[0], time[1],
                                time[2]) == 0;
    }
    if (nFirstDigits > 4 || nParts < 3 || nParts == 4)
        return false;
    return when.SetDateTime(parts[0], parts[1], parts[2], parts[3], parts[4], parts[5]) == 0;
}

bool ParseBillCents(std::string_view text, std::int64_t& nCents) {
    // The signs and separators around the digits dropped in one pass over the text; only
    // the lead bytes of the signs need a closer look.
    static constexpr std::array<std::string_view, 3> kSigns = {"¥", "￥", "元"};
    std::string kept;
    kept.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const char c = text[at];
        if (c == ',' || c == ' ') {
            ++at;
            continue;
        }
        std::size_t nSign = 0;
        if (static_cast<unsigned char>(c) >= 0xC0)
            for (std::string_view sign : kSigns)
                if (text.compare(at, sign.size(), sign) == 0)
                    nSign = sign.size();
        if (nSign == 0)
            kept += c;
        at += nSign == 0 ? 1 : nSign;
    }
    return CRecordWriter::ParseCents(kept, nCents) == CRecordWriter::Added;
}
