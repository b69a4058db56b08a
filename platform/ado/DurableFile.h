#pragma once

#include <string>

namespace ado {

/// Small file operations that make a copy of the ledger land whole or not at all. Each
/// returns 0 or the errno of the failed call.
namespace durable {

/// Creates an empty file readable and writable by its owner only; fails when it exists.
int CreatePrivateFile(const std::string& path);
/// Flushes a file's content to the disk.
int SyncFile(const std::string& path);
/// Flushes a folder, so that a rename in it survives a power cut.
int SyncFolder(const std::string& folder);
/// A file's modification time, in nanoseconds since the epoch.
int ReadModificationTime(const std::string& path, long long& nanoseconds);
int SetModificationTime(const std::string& path, long long nanoseconds);
/// Renames `from` to `to` in one step; with `replace` false an existing `to` is kept and
/// EEXIST returned.
int Rename(const std::string& from, const std::string& to, bool replace);

} // namespace durable
} // namespace ado
