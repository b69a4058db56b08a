#include "web/MultipartForm.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char* const kType = "multipart/form-data; boundary=----WebKitFormBoundaryX7";

// A part as a browser writes it.
std::string Part(const std::string& disposition, const std::string& content,
                 const std::string& extraHeaders = "") {
    return "------WebKitFormBoundaryX7\r\nContent-Disposition: " + disposition + "\r\n" +
           extraHeaders + "\r\n" + content + "\r\n";
}
const std::string kEnd = "------WebKitFormBoundaryX7--\r\n";
const std::string kJpeg("\xff\xd8\xff\xe0\r\n--\0binary\r\n------WebKitFormBoundaryX", 42);

struct MultipartCase {
    const char* what;
    std::string body;
    bool ok;
    web::Fields fields;
    std::vector<std::string> files; // "name=bytes"
};

class DecodeMultipartTest : public ::testing::TestWithParam<MultipartCase> {};

TEST_P(DecodeMultipartTest, DecodesOrRefuses) {
    const MultipartCase& c = GetParam();
    web::Fields fields;
    std::vector<web::UploadedFile> files;
    ASSERT_EQ(web::DecodeMultipart(kType, c.body, fields, files), c.ok) << c.what;
    if (!c.ok)
        return;
    EXPECT_EQ(fields, c.fields) << c.what;
    std::vector<std::string> named;
    for (const web::UploadedFile& file : files)
        named.push_back(file.strName + "=" + file.strBytes);
    EXPECT_EQ(named, c.files) << c.what;
}

const std::string kAmount = Part("form-data; name=\"amount\"", "12.50");
const std::string kNote = Part("form-data; name=\"note\"", "午饭\r\n两个人");
const std::string kPhoto =
    Part("form-data; name=\"picture\"; filename=\"IMG_1.jpg\"", kJpeg, "Content-Type: image/jpeg\r\n");
const std::string kUnused =
    Part("form-data; name=\"picture\"; filename=\"\"", "", "Content-Type: application/octet-stream\r\n");

INSTANTIATE_TEST_SUITE_P(
    Bodies, DecodeMultipartTest,
    ::testing::Values(
        MultipartCase{"a form with a photo and an unused box", kAmount + kNote + kPhoto + kUnused + kEnd, true,
                      {{"amount", "12.50"}, {"note", "午饭\r\n两个人"}}, {"picture=" + kJpeg}},
        MultipartCase{"the end without its line break", kAmount + "------WebKitFormBoundaryX7--", true,
                      {{"amount", "12.50"}}, {}},
        MultipartCase{"cut off before the closing boundary", kAmount + kPhoto, false, {}, {}},
        MultipartCase{"cut off inside a part", kAmount.substr(0, kAmount.size() - 4), false, {}, {}},
        MultipartCase{"something after the end", kAmount + kEnd + "more", false, {}, {}},
        MultipartCase{"not beginning with the boundary", "preamble\r\n" + kAmount + kEnd, false, {}, {}},
        MultipartCase{"no disposition", Part("form-data; name=\"a\"", "1").replace(28, 19, "Content-Language") + kEnd, false, {}, {}},
        MultipartCase{"not form-data", Part("attachment; name=\"a\"", "1") + kEnd, false, {}, {}},
        MultipartCase{"no name", Part("form-data; filename=\"a.jpg\"", "1") + kEnd, false, {}, {}},
        MultipartCase{"a header line without a colon", Part("form-data; name=\"a\"", "1", "garbage\r\n") + kEnd, false, {}, {}},
        MultipartCase{"headers without their empty line", "------WebKitFormBoundaryX7\r\nContent-Disposition: form-data; name=\"a\"\r\n" + kEnd, false, {}, {}},
        MultipartCase{"headers over their limit", Part("form-data; name=\"a\"", "1", "X-Pad: " + std::string(web::kMaxPartHeadBytes, 'p') + "\r\n") + kEnd, false, {}, {}},
        MultipartCase{"a field given twice", kAmount + kAmount + kEnd, false, {}, {}},
        MultipartCase{"a field that is not UTF-8", Part("form-data; name=\"note\"", "\xc3\x28") + kEnd, false, {}, {}},
        MultipartCase{"a control character in a field", Part("form-data; name=\"note\"", std::string("a\0b", 3)) + kEnd, false, {}, {}},
        MultipartCase{"a field over its limit", Part("form-data; name=\"note\"", std::string(web::kMaxValueBytes + 1, 'x')) + kEnd, false, {}, {}}));

TEST(DecodeMultipartLimitsTest, PartsAndFieldsAreCounted) {
    web::Fields fields;
    std::vector<web::UploadedFile> files;
    std::string unused;
    for (std::size_t i = 0; i < web::kMaxParts; ++i)
        unused += kUnused;
    EXPECT_TRUE(web::DecodeMultipart(kType, unused + kEnd, fields, files));
    EXPECT_TRUE(files.empty());
    EXPECT_FALSE(web::DecodeMultipart(kType, unused + kUnused + kEnd, fields, files));
    std::string many;
    for (std::size_t i = 0; i <= web::kMaxFields; ++i)
        many += Part("form-data; name=\"f" + std::to_string(i) + "\"", "1");
    EXPECT_FALSE(web::DecodeMultipart(kType, many + kEnd, fields, files));
}

TEST(MultipartBoundaryTest, ReadsOnlyAFormsWellMadeBoundary) {
    struct Case {
        const char* type;
        const char* boundary; // nullptr: refused
    };
    const Case cases[] = {
        {"multipart/form-data; boundary=abc", "abc"},
        {"Multipart/Form-Data; charset=utf-8; BOUNDARY=\"a b'c\"", "a b'c"},
        {"multipart/form-data", nullptr},
        {"multipart/form-data; boundary=\"ends with space \"", nullptr},
        {"multipart/form-data; boundary=a\"b", nullptr},
        {"multipart/form-data; boundary=a; boundary=b", nullptr},
        {"multipart/mixed; boundary=abc", nullptr},
        {"multipart/form-data; boundary=\"unclosed", nullptr},
    };
    for (const Case& c : cases) {
        std::string boundary;
        EXPECT_EQ(web::MultipartBoundary(c.type, boundary), c.boundary != nullptr) << c.type;
        if (c.boundary) {
            EXPECT_EQ(boundary, c.boundary) << c.type;
        }
    }
    std::string boundary;
    EXPECT_TRUE(web::MultipartBoundary("multipart/form-data; boundary=" + std::string(70, 'b'), boundary));
    EXPECT_FALSE(web::MultipartBoundary("multipart/form-data; boundary=" + std::string(71, 'b'), boundary));
}

TEST(DecodeRequestHeadTest, ReadsTheLineAndHeadersOrRefuses) {
    WebRequest request;
    ASSERT_TRUE(web::DecodeRequestHead("POST /add?x=1 HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                                       "Content-Type:  multipart/form-data; boundary=b \r\nCookie: a=1",
                                       request));
    EXPECT_EQ(request.strMethod, "POST");
    EXPECT_EQ(request.strPath, "/add");
    EXPECT_EQ(request.strQuery, "x=1");
    EXPECT_EQ(request.Header("content-type"), "multipart/form-data; boundary=b");
    EXPECT_EQ(request.Header("cookie"), "a=1");
    for (const char* head : {"", "GET", "GET / FTP/1.0", "GET nothing HTTP/1.1",
                             "GET / HTTP/1.1\r\nno colon", "GET / HTTP/1.1\r\n: empty name",
                             "GET / HTTP/1.1\r\nX: a\x01z"})
        EXPECT_FALSE(web::DecodeRequestHead(head, request)) << head;
}

} // namespace
