#pragma once

#include "exchange/TextEncoding.h"

#include <filesystem>
#include <string>
#include <vector>

/// A CSV file to import: its bytes, the encoding and delimiter it is read with (detected
/// when it is loaded, changeable), and its text in UTF-8.
class CImportFile {
public:
    /// Reads the file and detects its encoding and delimiter. False with the reason.
    bool Load(const std::filesystem::path& path, std::string& strError);
    /// Loads bytes already in memory (the tests' and the benchmark's way in).
    bool LoadBytes(std::string bytes, std::string& strError);

    TextEncoding GetEncoding() const { return m_nEncoding; }
    /// Reads the bytes again in another encoding; false with the reason when they are not
    /// text in it (the previous text stays).
    bool SetEncoding(TextEncoding encoding, std::string& strError);
    char GetDelimiter() const { return m_chDelimiter; }
    void SetDelimiter(char delimiter) { m_chDelimiter = delimiter; }

    const std::string& GetText() const { return m_strText; }
    /// Whether each line must be checked for valid UTF-8 as it is read: not when the whole
    /// text was found valid as it was loaded, or was converted.
    bool ChecksUtf8() const { return m_nEncoding == TextEncoding::Utf8 && !m_bValidUtf8; }
    /// The first row; false with the reason when the file has none or cannot be read.
    bool ReadHeader(std::vector<std::string>& header, std::string& strError) const;

private:
    std::string m_strBytes;
    std::string m_strText;
    TextEncoding m_nEncoding = TextEncoding::Utf8;
    char m_chDelimiter = ',';
    bool m_bValidUtf8 = false; // m_strText is known to be valid UTF-8 throughout
};
