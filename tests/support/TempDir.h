#pragma once

#include <filesystem>

namespace testing_support {

/// A fresh directory under the system's temporary folder, made the current directory
/// for the test's lifetime (the program opens data.mdb in its current directory) and
/// removed afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
    std::filesystem::path m_previous;
};

} // namespace testing_support
