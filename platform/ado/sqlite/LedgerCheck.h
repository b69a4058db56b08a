#pragma once

#include "platform/ado/LedgerCopy.h"

#include <string>

struct sqlite3;

namespace ado {

/// The checks shared by the ledger copies: what a file on disk is before it is opened, and
/// what an open one holds.
namespace ledger_check {

/// A failed result about `file`.
LedgerCopyResult Failure(CopyProblem problem, const std::string& file, std::string detail);
/// Missing, not a regular file, or without SQLite's header: the problem, else None.
CopyProblem CheckOnDisk(const std::string& path, std::string& detail);
/// Whether the header of `path` carries our application id (readable when the rest is not).
bool HeaderCarriesOurId(const std::string& path);
/// The problem for an SQLite result code met while reading `path`.
CopyProblem ReadProblem(int rc, const std::string& path);
/// The problem for an SQLite result code met while writing through `db`.
CopyProblem WriteProblem(int rc, sqlite3* db);
/// The problem for an errno met while writing a file.
CopyProblem ErrnoProblem(int error);
/// Ledger by id or tables, integrity "ok"; fills the counts. `path` names the file.
LedgerCopyResult CheckOpenLedger(sqlite3* db, const std::string& path);
/// The record counts of an open ledger into `result`.
void ReadCounts(sqlite3* db, LedgerCopyResult& result);

} // namespace ledger_check
} // namespace ado
