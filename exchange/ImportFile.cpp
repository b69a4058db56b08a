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
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
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
    m_chDelimiter = DetectDelimiter(m_strText);
    return true;
}

bool CImportFile::SetEncoding(TextEncoding encoding, std::string& strError) {
    std::string text;
    if (!DecodeText(m_strBytes, encoding, text, strError))
        return false;
    m_nEncoding = encoding;
    m_strText = std::move(text);
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
