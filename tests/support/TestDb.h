#pragma once

#include "tests/support/TempDir.h"

#include <filesystem>
#include <string>
#include <vector>

namespace testing_support {

/// A temporary current directory holding a fresh starter data.mdb, made by the same code
/// as coffer-initdb, with direct SQL access for setting up and checking.
class TestDb {
public:
    /// How Query shows a NULL value.
    static constexpr const char* kNull = "<NULL>";
    /// The connection text every dialog sets.
    static constexpr const char* kConnectionString =
        "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data.mdb";

    TestDb();

    const std::filesystem::path& Directory() const { return m_dir.Path(); }
    std::filesystem::path FilePath() const { return m_dir.Path() / "data.mdb"; }

    /// The rows of a query, every value as SQLite's text of it, NULL as kNull.
    std::vector<std::vector<std::string>> Query(const std::string& sql) const;
    /// The first column of the first row, or kNull when there is none.
    std::string Scalar(const std::string& sql) const;
    /// Runs statements; throws std::runtime_error with SQLite's message on failure.
    void Exec(const std::string& sql) const;

private:
    TempDir m_dir;
};

} // namespace testing_support
