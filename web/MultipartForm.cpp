#include "web/MultipartForm.h"

namespace web {

namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameWord(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

// The parameters after a header's first word: `; name=value; name="value"`. Calls `take`
// with each; false when one is malformed (no '=', an unclosed quote) or `take` refuses it.
template <class Take>
bool EachParameter(std::string_view text, Take take) {
    while (!text.empty()) {
        text = Trim(text);
        if (text.empty())
            return true;
        const std::size_t equals = text.find('=');
        if (equals == std::string_view::npos || equals == 0)
            return false;
        const std::string_view name = Trim(text.substr(0, equals));
        text.remove_prefix(equals + 1);
        text = Trim(text);
        std::string_view value;
        if (!text.empty() && text.front() == '"') {
            // Browsers write a quote or a line break inside a name as %22 or %0D%0A, so a
            // quoted value ends at the next quote.
            const std::size_t close = text.find('"', 1);
            if (close == std::string_view::npos)
                return false;
            value = text.substr(1, close - 1);
            text.remove_prefix(close + 1);
            text = Trim(text);
            if (!text.empty() && text.front() != ';')
                return false;
        } else {
            const std::size_t end = text.find(';');
            value = Trim(text.substr(0, end));
            text.remove_prefix(end == std::string_view::npos ? text.size() : end);
        }
        if (!take(name, value))
            return false;
        if (!text.empty())
            text.remove_prefix(1); // the ';'
    }
    return true;
}

bool IsBoundaryCharacter(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
           std::string_view("'()+_,-./:=? ").find(c) != std::string_view::npos;
}

struct PartHead {
    bool bFormData = false;
    bool bName = false;
    bool bFile = false;
    std::string strName;
};

// One part's header lines; only Content-Disposition matters, others are passed over.
bool ReadPartHead(std::string_view head, PartHead& part) {
    while (!head.empty()) {
        const std::size_t end = head.find("\r\n");
        const std::string_view line = head.substr(0, end);
        head.remove_prefix(end == std::string_view::npos ? head.size() : end + 2);
        const std::size_t colon = line.find(':');
        // No folded lines, no line without a name.
        if (colon == std::string_view::npos || colon == 0 || line.front() == ' ' ||
            line.front() == '\t')
            return false;
        if (!SameWord(line.substr(0, colon), "content-disposition"))
            continue;
        if (part.bFormData)
            return false; // given twice
        std::string_view value = Trim(line.substr(colon + 1));
        const std::size_t semicolon = value.find(';');
        if (!SameWord(Trim(value.substr(0, semicolon)), "form-data"))
            return false;
        part.bFormData = true;
        value.remove_prefix(semicolon == std::string_view::npos ? value.size() : semicolon + 1);
        const bool bRead = EachParameter(value, [&part](std::string_view name, std::string_view text) {
            if (SameWord(name, "name")) {
                if (part.bName)
                    return false;
                part.bName = true;
                part.strName = std::string(text);
            } else if (SameWord(name, "filename")) {
                if (part.bFile)
                    return false;
                part.bFile = true;
            }
            return true;
        });
        if (!bRead)
            return false;
    }
    return part.bFormData && part.bName && !part.strName.empty() &&
           part.strName.size() <= kMaxNameBytes && IsPlainText(part.strName);
}

} // namespace

bool MultipartBoundary(std::string_view contentType, std::string& boundary) {
    boundary.clear();
    const std::size_t semicolon = contentType.find(';');
    if (semicolon == std::string_view::npos ||
        !SameWord(Trim(contentType.substr(0, semicolon)), "multipart/form-data"))
        return false;
    bool bGiven = false;
    const bool bRead = EachParameter(contentType.substr(semicolon + 1),
                                     [&](std::string_view name, std::string_view value) {
                                         if (!SameWord(name, "boundary"))
                                             return true;
                                         if (bGiven)
                                             return false;
                                         bGiven = true;
                                         boundary = std::string(value);
                                         return true;
                                     });
    if (!bRead || boundary.empty() || boundary.size() > 70 || boundary.back() == ' ')
        return false;
    for (const char c : boundary)
        if (!IsBoundaryCharacter(c))
            return false;
    return true;
}

bool DecodeMultipart(std::string_view contentType, std::string_view body, Fields& fields,
                     std::vector<UploadedFile>& files) {
    fields.clear();
    files.clear();
    std::string boundary;
    if (!MultipartBoundary(contentType, boundary))
        return false;
    const std::string first = "--" + boundary;
    const std::string next = "\r\n--" + boundary;
    if (body.substr(0, first.size()) != first)
        return false;
    std::size_t at = first.size();
    for (std::size_t nParts = 0;; ++nParts) {
        const std::string_view after = body.substr(at, 2);
        if (after == "--") {
            // Nothing but a line break may follow the closing boundary.
            const std::string_view rest = body.substr(at + 2);
            return rest.empty() || rest == "\r\n";
        }
        if (after != "\r\n" || nParts == kMaxParts)
            return false;
        at += 2;
        const std::size_t headEnd =
            body.substr(at, kMaxPartHeadBytes + 4).find("\r\n\r\n");
        if (headEnd == std::string_view::npos)
            return false;
        PartHead part;
        if (!ReadPartHead(body.substr(at, headEnd), part))
            return false;
        at += headEnd + 4;
        const std::size_t end = body.find(next, at);
        if (end == std::string_view::npos)
            return false;
        const std::string_view content = body.substr(at, end - at);
        at = end + next.size();
        if (part.bFile) {
            if (!content.empty())
                files.push_back({part.strName, std::string(content)});
            continue;
        }
        if (content.size() > kMaxValueBytes || !IsPlainText(content) ||
            fields.size() == kMaxFields || fields.count(part.strName) != 0)
            return false;
        fields.emplace(part.strName, std::string(content));
    }
}

} // namespace web
