#pragma once

#include <string>

namespace testing_support {

/// Every table of an SQLite file, row by row in rowid order, as one text; for comparing
/// two ledgers whole.
std::string DumpLedger(const std::string& path);
/// Adds `count` income and `count` expense records in one transaction.
void AddRecords(const std::string& path, int count);
/// Runs statements on a file; throws std::runtime_error with SQLite's message.
void ExecOn(const std::string& path, const std::string& sql);
/// The first value of a query's first row as text ("<NULL>" when none).
std::string ScalarOn(const std::string& path, const std::string& sql);
/// Overwrites `length` bytes at `offset` with garbage.
void Scribble(const std::string& path, long offset, int length);
/// The file's permission bits.
unsigned Mode(const std::string& path);
/// The names in a folder, sorted, one per line.
std::string Names(const std::string& folder);

} // namespace testing_support
