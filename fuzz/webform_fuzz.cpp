// What a phone sends: a form body, a query, a Cookie header, a request's head, a form with
// files (its first line taken as the Content-Type) and the fields read from them. Nothing
// crashes, and whatever is accepted keeps within the limits the pages rely on.
#include "web/FormDecoding.h"
#include "web/MultipartForm.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

void CheckField(const std::string& name, const std::string& value) {
    if (name.empty() || name.size() > web::kMaxNameBytes || value.size() > web::kMaxValueBytes ||
        !web::IsPlainText(name) || !web::IsPlainText(value))
        std::abort();
}

void CheckMultipart(std::string_view type, std::string_view body) {
    web::Fields fields;
    std::vector<web::UploadedFile> files;
    if (!web::DecodeMultipart(type, body, fields, files))
        return;
    if (fields.size() > web::kMaxFields || fields.size() + files.size() > web::kMaxParts)
        std::abort();
    for (const auto& [name, value] : fields)
        CheckField(name, value);
    std::size_t nBytes = 0;
    for (const web::UploadedFile& file : files) {
        if (file.strBytes.empty())
            std::abort();
        CheckField(file.strName, "");
        nBytes += file.strBytes.size();
    }
    if (nBytes > body.size())
        std::abort();
}

} // namespace

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

    WebRequest head;
    if (web::DecodeRequestHead(input, head)) {
        if (head.strPath.empty() || head.strPath.front() != '/')
            std::abort();
        for (const auto& [name, value] : head.headers)
            for (const char c : name)
                if (c >= 'A' && c <= 'Z')
                    std::abort();
    }

    const std::size_t lineEnd = input.find('\n');
    if (lineEnd != std::string_view::npos)
        CheckMultipart(input.substr(0, lineEnd), input.substr(lineEnd + 1));
    CheckMultipart("multipart/form-data; boundary=b", input);
    return 0;
}
