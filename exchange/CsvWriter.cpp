#include "exchange/CsvWriter.h"

#include <cerrno>
#include <cstring>
#include <system_error>

namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";

bool NeedsQuotes(std::string_view field) {
    if (field.empty())
        return false;
    // Readers commonly trim unquoted fields, so white space at either end is protected too.
    if (field.front() == ' ' || field.front() == '\t' || field.back() == ' ' ||
        field.back() == '\t')
        return true;
    return field.find_first_of(",\"\r\n") != std::string_view::npos;
}

void AppendField(std::string& out, std::string_view field) {
    if (!NeedsQuotes(field)) {
        out.append(field);
        return;
    }
    out.push_back('"');
    for (char c : field) {
        if (c == '"')
            out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
}

} // namespace

CCsvWriter::~CCsvWriter() {
    Discard();
}

bool CCsvWriter::Open(const std::filesystem::path& path) {
    Discard();
    m_strError.clear();
    m_pathTarget = path;
    m_pathTemp = path;
    m_pathTemp += ".part";
    m_hFile = std::fopen(m_pathTemp.c_str(), "wb");
    if (m_hFile == nullptr) {
        m_strError = path.string() + ": " + std::strerror(errno);
        return false;
    }
    std::fwrite(kBom, 1, 3, m_hFile);
    return true;
}

void CCsvWriter::WriteField(std::string_view field) {
    if (!NeedsQuotes(field)) {
        std::fwrite(field.data(), 1, field.size(), m_hFile);
        return;
    }
    std::string quoted;
    AppendField(quoted, field);
    std::fwrite(quoted.data(), 1, quoted.size(), m_hFile);
}

template <typename Range> void CCsvWriter::WriteFields(const Range& fields) {
    if (m_hFile == nullptr)
        return;
    // A row of one empty field would be a blank line, which readers skip.
    if (fields.size() == 1 && std::string_view(*fields.begin()).empty()) {
        std::fwrite("\"\"\r\n", 1, 4, m_hFile);
        return;
    }
    bool first = true;
    for (std::string_view field : fields) {
        if (!first)
            std::fputc(',', m_hFile);
        first = false;
        WriteField(field);
    }
    std::fwrite("\r\n", 1, 2, m_hFile);
}

void CCsvWriter::WriteRow(const std::vector<std::string>& fields) {
    WriteFields(fields);
}

void CCsvWriter::WriteRow(std::initializer_list<std::string_view> fields) {
    WriteFields(fields);
}

bool CCsvWriter::Commit() {
    if (m_hFile == nullptr) {
        if (m_strError.empty())
            m_strError = "文件未打开";
        return false;
    }
    const bool failed = std::ferror(m_hFile) != 0;
    const int errorCode = failed ? EIO : 0;
    const bool closed = std::fclose(m_hFile) == 0;
    m_hFile = nullptr;
    if (failed || !closed) {
        m_strError = m_pathTarget.string() + ": " + std::strerror(failed ? errorCode : errno);
        Discard();
        return false;
    }
    std::error_code ec;
    std::filesystem::rename(m_pathTemp, m_pathTarget, ec);
    if (ec) {
        m_strError = m_pathTarget.string() + ": " + ec.message();
        Discard();
        return false;
    }
    m_pathTemp.clear();
    return true;
}

void CCsvWriter::Discard() {
    if (m_hFile != nullptr) {
        std::fclose(m_hFile);
        m_hFile = nullptr;
    }
    if (!m_pathTemp.empty()) {
        std::error_code ec;
        std::filesystem::remove(m_pathTemp, ec);
        m_pathTemp.clear();
    }
}

std::string CCsvWriter::QuoteField(std::string_view field) {
    std::string out;
    AppendField(out, field);
    return out;
}

std::string CCsvWriter::FormatRow(const std::vector<std::string>& fields) {
    if (fields.size() == 1 && fields.front().empty())
        return "\"\"";
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out.push_back(',');
        AppendField(out, fields[i]);
    }
    return out;
}
