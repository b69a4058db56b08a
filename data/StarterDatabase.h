#pragma once

#include "platform/ado/LedgerFile.h"

#include <string>

/// The application id that marks a data file as Coffer's ("Coff").
constexpr int kCofferApplicationId = ado::kLedgerApplicationId;

/// Creates a data file at `path` holding every table of the program and its starter rows
/// (the list names, the root account, a few members and categories). Refuses a path that
/// already exists. On failure returns false with `error` saying why, and leaves no file.
bool CreateStarterDatabase(const std::string& path, std::string& error);

/// The schema and starter rows, as SQL.
const char* StarterSchemaSql();
