// What a phone sends: a form body, a query, a Cookie header and the fields read from them.
// Nothing crashes, and whatever is accepted keeps within the limits the pages rely on.
#include "web/FormDecoding.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    web::Fields fields;
    if (web::DecodeForm(input, fields)) {
        if (fields.size() > web::kMaxFields)
            std::abort();
        for (const auto& [name, value] : fields) {
            if (name.empty() || name.size() > web::kMaxNameBytes ||
                value.size() > web::kMaxValueBytes || !web::IsUtf8(name) || !web::IsUtf8(value))
                std::abort();
            for (const char c : value)
                if (c == '\0')
                    std::abort();
            std::int64_t cents = -1;
            if (web::ParseAmount(value, cents) == web::AmountText::Ok &&
                (cents < 0 || cents > 99999999999))
                std::abort();
            web::LocalDateTime when;
            if (web::ParseDateTime(value, when) &&
                (when.nMonth < 1 || when.nMonth > 12 || when.nDay < 1 || when.nDay > 31 ||
                 when.nHour > 23 || when.nMinute > 59 || when.nSecond > 59))
                std::abort();
            web::IsSubmissionId(value);
            web::CharacterCount(value);
        }
    }
    const web::Fields cookies = web::DecodeCookies(input);
    if (cookies.size() > web::kMaxCookies)
        std::abort();
    return 0;
}
