#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

/// Writes a table of texts as a CSV file that spreadsheets open as it is meant: UTF-8 with
/// a byte-order mark, comma-separated, CRLF line ends, a field quoted when it holds the
/// delimiter, a quote, a line break or white space at either end (quotes doubled inside).
/// The rows go to a temporary file beside the target, which takes the target's name only
/// on Commit; a writer dropped without a successful Commit leaves no file behind.
class CCsvWriter {
public:
    CCsvWriter() = default;
    ~CCsvWriter();
    CCsvWriter(const CCsvWriter&) = delete;
    CCsvWriter& operator=(const CCsvWriter&) = delete;

    /// Starts the file; false (with GetLastError) when it cannot be created.
    bool Open(const std::filesystem::path& path);
    void WriteRow(const std::vector<std::string>& fields);
    void WriteRow(std::initializer_list<std::string_view> fields);
    /// Flushes and moves the file into place; false (with GetLastError) when any write
    /// failed, and then nothing is left at the target.
    bool Commit();
    const std::string& GetLastError() const { return m_strError; }

    /// One field as it stands in the file.
    static std::string QuoteField(std::string_view field);
    /// One line (without its line end) as it stands in the file.
    static std::string FormatRow(const std::vector<std::string>& fields);

private:
    void WriteField(std::string_view field);
    template <typename Range> void WriteFields(const Range& fields);
    void Discard();

    std::FILE* m_hFile = nullptr;
    std::filesystem::path m_pathTarget;
    std::filesystem::path m_pathTemp;
    std::string m_strError;
};
