#include "basedata/ListEntryWatch.h"

#include <utility>

namespace {

CListEntryWatch::Watch& TheWatch() {
    static CListEntryWatch::Watch watch;
    return watch;
}

} // namespace

void CListEntryWatch::Set(Watch watch) {
    TheWatch() = std::move(watch);
}

std::string CListEntryWatch::Tell(CADODatabase& db, const std::string& strTable,
                                  const std::string& strEntry,
                                  const std::optional<std::string>& renamed) {
    return TheWatch() ? TheWatch()(db, strTable, strEntry, renamed) : std::string();
}
