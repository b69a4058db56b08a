#include "exchange/ImportFile.h"

#include "exchange/CsvReader.h"

#include <fstream>
#include <iterator>

bool CImportFile::Load(const std::filesystem::path& path, std::string& strError) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        strError = "文件打不开：" + path.string();
        return false;
    }
    // Read in one piece where the size is known; byte by byte through the stream's buffer
    // costs more than the whole import's checks.
    std::string bytes;
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (!ec && std::filesystem::is_regular_file(path, ec)) {
        bytes.resize(static_cast<std::size_t>(size));
        in.read(bytes.data(), static_cast<std::streamsize>(size));
        bytes.resize(static_cast<std::size_t>(in.gcount()));
        // A file that grew meanwhile: the rest as well.
        if (in.gcount() == static_cast<std::streamsize>(size))
            bytes.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } else {
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (in.bad()) {
        strError = "文件读不出来：" + path.string();
        return false;
    }
    return LoadBytes(std::move(bytes), strError);
}

bool CImportFile::LoadBytes(std::string bytes, std::string& strError) {
    m_strBytes = std::move(bytes);
    m_strText.clear();
    m_nEncoding = DetectEncoding(m_strBytes);
    if (!DecodeText(m_strBytes, m_nEncoding, m_strText, strError))
        return false;
    // Without a byte order mark, UTF-8 was chosen because the whole file is valid UTF-8;
    // with one, the text is checked once here rather than field by field.
    m_bValidUtf8 = m_nEncoding != TextEncoding::Utf8 || !HasUtf8Bom(m_strBytes) ||
                   IsValidUtf8(m_strText);
    m_chDelimiter = DetectDelimiter(m_strText);
    return true;
}

bool CImportFile::SetEncoding(TextEncoding encoding, std::string& strError) {
    std::string text;
    if (!DecodeText(m_strBytes, encoding, text, strError))
        return false;
    m_nEncoding = encoding;
    m_strText = std::move(text);
    m_bValidUtf8 = encoding != TextEncoding::Utf8;
    return true;
}

bool CImportFile::ReadHeader(std::vector<std::string>& header, std::string& strError) const {
    CCsvReader reader(m_strText, m_chDelimiter);
    CsvRow row;
    if (!reader.Next(row)) {
        strError = reader.GetLastError().empty() ? "文件是空的" : reader.GetLastError();
        return false;
    }
    header = std::move(row.fields);
    return true;
}
