#include "exchange/RecordText.h"

#include "data/FormatDateTime.h"

#include <charconv>
#include <cmath>

namespace {

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool SkipPrefix(std::string_view& text, std::string_view prefix) {
    if (text.substr(0, prefix.size()) != prefix)
        return false;
    text.remove_prefix(prefix.size());
    return true;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads 1 to `maxDigits` digits; false when there is none.
bool ReadNumber(std::string_view& text, int maxDigits, int& value) {
    int count = 0;
    value = 0;
    while (count < maxDigits && !text.empty() && IsDigit(text.front())) {
        value = value * 10 + (text.front() - '0');
        text.remove_prefix(1);
        ++count;
    }
    return count > 0;
}

} // namespace

std::string FormatCents(double dAmount) {
    // Fixed notation of the largest double takes 309 digits.
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, dAmount, std::chars_format::fixed, 2);
    std::string text(buffer, result.ptr);
    return text == "-0.00" ? "0.00" : text;
}

std::string FormatAmount(double dAmount) {
    std::string text = FormatCents(dAmount);
    if (text.find('.') == std::string::npos)
        return text; // inf, nan
    while (text.back() == '0')
        text.pop_back();
    if (text.back() == '.')
        text.pop_back();
    return text;
}

std::string FormatRecordDate(const COleDateTime& dtRecord) {
    return FormatDateTime(dtRecord, "%Y-%m-%d %H:%M:%S");
}

std::string ParseAmount(std::string_view text, double& dAmount) {
    text = Trim(text);
    if (text.empty())
        return "金额为空";
    bool negative = false;
    const auto sign = [&] {
        if (SkipPrefix(text, "-"))
            negative = !negative;
        else
            SkipPrefix(text, "+");
    };
    sign();
    if (SkipPrefix(text, "¥") || SkipPrefix(text, "￥"))
        sign();
    // Digits, with thousands separators only where a group of three follows.
    std::string plain = negative ? "-" : "";
    size_t i = 0;
    for (; i < text.size() && (IsDigit(text[i]) || text[i] == ','); ++i) {
        if (text[i] != ',') {
            plain.push_back(text[i]);
            continue;
        }
        const bool grouped = i > 0 && IsDigit(text[i - 1]) && i + 3 < text.size() &&
                             IsDigit(text[i + 1]) && IsDigit(text[i + 2]) && IsDigit(text[i + 3]) &&
                             (i + 4 == text.size() || !IsDigit(text[i + 4]));
        if (!grouped)
            return "金额格式不对";
    }
    const size_t integerDigits = plain.size() - (negative ? 1 : 0);
    size_t decimals = 0;
    if (i < text.size() && text[i] == '.') {
        plain.push_back('.');
        const size_t before = plain.size();
        for (++i; i < text.size() && IsDigit(text[i]); ++i)
            plain.push_back(text[i]);
        decimals = plain.size() - before;
        if (decimals == 0)
            return "金额格式不对";
    } else if (integerDigits == 0) {
        return "金额不是数字";
    }
    if (i != text.size())
        return "金额不是数字";
    // What the amount box takes: cents at most, and no more than it can keep to the cent.
    if (decimals > 2 && plain.find_first_not_of('0', plain.size() - (decimals - 2)) !=
                            std::string::npos)
        return "金额最多两位小数";
    double value = 0.0;
    const auto result = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (result.ec != std::errc() || !std::isfinite(value))
        return "金额超出范围";
    if (value == 0.0)
        return "金额不能为0";
    if (std::abs(value) > kMaxAmount)
        return "金额太大";
    dAmount = value;
    return {};
}

std::string ParseRecordDate(std::string_view text, COleDateTime& dtRecord) {
    text = Trim(text);
    if (text.empty())
        return "日期为空";
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!ReadNumber(text, 4, year) || year < 1000)
        return "日期格式不对";
    bool chinese = false;
    char separator = 0;
    if (SkipPrefix(text, "年"))
        chinese = true;
    else if (SkipPrefix(text, "-"))
        separator = '-';
    else if (SkipPrefix(text, "/"))
        separator = '/';
    else
        return "日期格式不对";
    if (!ReadNumber(text, 2, month))
        return "日期格式不对";
    if (chinese ? !SkipPrefix(text, "月") : !SkipPrefix(text, std::string_view(&separator, 1)))
        return "日期格式不对";
    if (!ReadNumber(text, 2, day))
        return "日期格式不对";
    if (chinese && !SkipPrefix(text, "日"))
        return "日期格式不对";
    if (!text.empty()) {
        if (!SkipPrefix(text, " ") && !SkipPrefix(text, "T"))
            return "日期格式不对";
        text = Trim(text);
        if (!ReadNumber(text, 2, hour) || !SkipPrefix(text, ":") || !ReadNumber(text, 2, minute))
            return "时间格式不对";
        if (SkipPrefix(text, ":") && !ReadNumber(text, 2, second))
            return "时间格式不对";
        if (!text.empty())
            return "时间格式不对";
        if (hour > 23 || minute > 59 || second > 59)
            return "时间不存在";
    }
    COleDateTime parsed;
    // The calendar refuses a day the month does not have (2月30日).
    if (parsed.SetDateTime(year, month, day, hour, minute, second) != 0)
        return "日期不存在";
    dtRecord = parsed;
    return {};
}
