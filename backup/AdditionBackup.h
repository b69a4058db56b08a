#pragma once

#include <string>

class CADODatabase;

/// The backup taken before an addition changes the open ledger's tables: a verified copy of
/// a ledger file in its backup folder. A ledger on a server has no file here to copy; its
/// server keeps its own backups. False, with `strError` saying why for the user, when the
/// copy failed.
bool BackUpBeforeAddition(CADODatabase& db, std::string& strError);
