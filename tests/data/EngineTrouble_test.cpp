#include "data/ADODatabase.h"
#include "data/ADORecordset.h"
#include "platform/ado/ComError.h"
#include "tests/support/FailingVfs.h"
#include "tests/support/TestDb.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

namespace {

using testing_support::FailingVfs;
using testing_support::TestDb;

// Overwrites the first page of a table with bytes no page can start with.
void DamageTable(const TestDb& file, const std::string& table) {
    const long page =
        std::stol(file.Scalar("select rootpage from sqlite_master where name = '" + table + "'"));
    const long size = std::stol(file.Scalar("pragma page_size"));
    std::fstream out(file.FilePath(), std::ios::in | std::ios::out | std::ios::binary);
    out.seekp((page - 1) * size);
    const std::string garbage(static_cast<size_t>(size), '\xEE');
    out.write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
}

void AddMember(CADODatabase& db) {
    CADORecordset rs(&db);
    rs.Open("家庭成员", CADORecordset::ModeTable);
    rs.AddNew();
    rs.SetFieldValue("类型", std::string("舅舅"));
    rs.Update();
}

void ReadMembers(CADODatabase& db) {
    CADORecordset rs(&db);
    rs.Open("select * from 家庭成员", CADORecordset::ModeQuery);
    while (!rs.IsEOF())
        rs.MoveNext();
}

struct Case {
    const char* name;
    // Runs before the connection opens.
    std::function<void(const TestDb&, FailingVfs&)> before;
    // What the user does on the open connection; none: the open itself fails.
    std::function<void(const TestDb&, CADODatabase&, FailingVfs&)> action;
    const char* words;      // a part of what the user is told
    const char* engineText; // the engine's own words, which follow
};

// What a household meets, told in plain words that name the file and say what to do, with
// the engine's own text after them; the error layout stays as it always was.
TEST(EngineTroubleTest, HouseholdTroublesAreToldInPlainWords) {
    COFFER_FILE_LEDGER_ONLY(); // SQLite's own locks and faults
    sqlite3* other = nullptr;
    const auto none = [](const TestDb&, FailingVfs&) {};
    const Case cases[] = {
        {"locked",
         [&other](const TestDb& file, FailingVfs&) {
             ASSERT_EQ(sqlite3_open(file.FilePath().c_str(), &other), SQLITE_OK);
             ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr),
                       SQLITE_OK);
         },
         nullptr, "”正被另一个程序（也许是另一个银匣窗口）使用", "database is locked"},
        {"read-only file",
         [](const TestDb&, FailingVfs& vfs) { vfs.Set(FailingVfs::Fault::ReadOnlyFile); },
         [](const TestDb&, CADODatabase& db, FailingVfs&) { AddMember(db); },
         "”是只读的，更改没有保存", "attempt to write a readonly database"},
        {"read-only folder",
         [](const TestDb&, FailingVfs& vfs) { vfs.Set(FailingVfs::Fault::ReadOnlyFolder); },
         [](const TestDb&, CADODatabase& db, FailingVfs&) { AddMember(db); },
         "”所在的文件夹不允许写入，更改没有保存", "attempt to write a readonly database"},
        {"disk full", none,
         [](const TestDb&, CADODatabase& db, FailingVfs& vfs) {
             vfs.Set(FailingVfs::Fault::DiskFull);
             AddMember(db);
         },
         "”的磁盘已满，更改没有保存", "database or disk is full"},
        {"damaged", [](const TestDb& file, FailingVfs&) { DamageTable(file, "家庭成员"); },
         [](const TestDb&, CADODatabase& db, FailingVfs&) { ReadMembers(db); }, "”已损坏，无法读取",
         "database disk image is malformed"},
        {"missing",
         [](const TestDb& file, FailingVfs&) { std::filesystem::remove(file.FilePath()); }, nullptr,
         "找不到账本文件“", nullptr},
        {"deleted while open", none,
         [](const TestDb& file, CADODatabase& db, FailingVfs&) {
             std::filesystem::remove(file.FilePath());
             AddMember(db);
         },
         "找不到账本文件“", "attempt to write a readonly database"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestDb file;
        FailingVfs vfs;
        const std::string path = file.FilePath().string();
        c.before(file, vfs);
        CADODatabase db;
        db.SetConnectionString(TestDb::kConnectionString);
        std::string description;
        std::string errorText;
        try {
            if (c.action == nullptr) {
                db.Open();
            } else {
                ASSERT_TRUE(db.Open());
                c.action(file, db, vfs);
            }
            ADD_FAILURE() << "no error";
        } catch (const CADOException& e) {
            EXPECT_EQ(e.GetErrorCode(), static_cast<std::int32_t>(0x80004005));
            description = e.GetErrorMessage();
        } catch (const ado::ComError& e) {
            // Walking the rows passes the engine's error on as it is.
            EXPECT_EQ(e.Error(), static_cast<ado::HRESULT>(0x80004005));
            description = e.Description().value_or("");
        }
        vfs.Set(FailingVfs::Fault::None);
        if (other != nullptr) {
            sqlite3_close(other);
            other = nullptr;
        }
        EXPECT_NE(description.find(c.words), std::string::npos) << description;
        EXPECT_NE(description.find("“" + path + "”"), std::string::npos) << description;
        // And what to do.
        EXPECT_TRUE(description.find("再试一次") != std::string::npos ||
                    description.find("恢复账本") != std::string::npos)
            << description;
        const std::string engineText =
            c.engineText != nullptr ? c.engineText : "Could not find file '" + path + "'.";
        const std::string tail = "（引擎信息：" + engineText + "）";
        ASSERT_GE(description.size(), tail.size());
        EXPECT_EQ(description.substr(description.size() - tail.size()), tail);
        if (c.action == nullptr) {
            EXPECT_EQ(db.GetErrorDescription(), description);
            EXPECT_EQ(db.GetLastErrorString(),
                      "Connection String = " + std::string(TestDb::kConnectionString) +
                          "\nCADODataBase Error\n\tCode = 80004005\n\tCode meaning = Unspecified "
                          "error\n\tSource = Coffer SQLite Engine\n\tDescription = " +
                          description + "\n");
        }
    }
}

} // namespace
