#pragma once

#include "platform/ado/LedgerCopy.h"

#include <benchmark/benchmark.h>

#include <functional>
#include <string>

namespace bench {

/// Times Coffer's verified backup of `ledger` against the least any consistent, durable copy
/// of a live SQLite file needs: SQLite's online backup in one step into a temporary file (no
/// journal, no syncs of its own), then fsync, in wall time, the two taking turns going first.
/// `whole` says whether our copy holds what the ledger holds. Reports ratio = ours / that, our
/// parts (copy_s: the pages copied; check_s: the copy read back and checked; flush_s: the
/// flush, which runs beside the check) and the baseline's (base_copy_s, base_flush_s).
void RaceBackups(benchmark::State& state, const std::string& ledger,
                 const std::function<bool(const ado::LedgerCopyResult&)>& whole);

} // namespace bench
