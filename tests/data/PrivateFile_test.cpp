#include "data/PrivateFile.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace {

unsigned ModeOf(const char* path) {
    struct stat info {};
    EXPECT_EQ(::stat(path, &info), 0) << path;
    return info.st_mode & 07777;
}

TEST(PrivateFileTest, ANewFileIsTheOwnersOnlyWhateverTheUmask) {
    for (const mode_t umask : {mode_t{0}, mode_t{022}, mode_t{077}, mode_t{0377}}) {
        SCOPED_TRACE(umask);
        testing_support::TempDir dir;
        const mode_t previous = ::umask(umask);
        std::string error;
        const bool made = PrivateFile::Create("backup.mdb", error);
        ::umask(previous);
        ASSERT_TRUE(made) << error;
        EXPECT_EQ(ModeOf("backup.mdb"), 0600u);
        EXPECT_EQ(std::filesystem::file_size("backup.mdb"), 0u);
    }
}

TEST(PrivateFileTest, NothingAlreadyThereIsTouched) {
    testing_support::TempDir dir;
    {
        std::ofstream out("kept.mdb", std::ios::binary);
        out << "kept";
    }
    std::filesystem::permissions("kept.mdb", std::filesystem::perms(0644));
    std::filesystem::create_symlink("elsewhere.mdb", "link.mdb");
    for (const char* path : {"kept.mdb", "link.mdb"}) {
        std::string error;
        EXPECT_FALSE(PrivateFile::Create(path, error)) << path;
        EXPECT_NE(error.find("already exists"), std::string::npos) << error;
    }
    EXPECT_EQ(ModeOf("kept.mdb"), 0644u);
    std::ifstream in("kept.mdb", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "kept");
    EXPECT_FALSE(std::filesystem::exists("elsewhere.mdb")); // the link was not followed

    std::string error;
    EXPECT_FALSE(PrivateFile::Create("no/such/dir/x.mdb", error));
    EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
}

TEST(PrivateFileTest, RestrictNarrowsAnExistingFile) {
    testing_support::TempDir dir;
    std::ofstream("open.mdb") << "x";
    std::filesystem::permissions("open.mdb", std::filesystem::perms(0664));
    std::string error;
    EXPECT_TRUE(PrivateFile::Restrict("open.mdb", error)) << error;
    EXPECT_EQ(ModeOf("open.mdb"), 0600u);
    EXPECT_FALSE(PrivateFile::Restrict("missing.mdb", error));
    EXPECT_NE(error.find("missing.mdb"), std::string::npos) << error;
}

} // namespace
