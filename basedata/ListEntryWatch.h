#pragma once

#include <functional>
#include <optional>
#include <string>

class CADODatabase;

/// Lets a feature above the base data (the budgets) follow list entries that are renamed
/// or deleted; set at start-up. Its answer, when not empty, is shown to the user.
class CListEntryWatch {
public:
    /// `renamed` holds the new text of a renamed entry; none when the entry was deleted.
    using Watch = std::function<std::string(CADODatabase& db, const std::string& strTable,
                                            const std::string& strEntry,
                                            const std::optional<std::string>& renamed)>;

    static void Set(Watch watch);
    /// What the watch says about the change; "" without a watch.
    static std::string Tell(CADODatabase& db, const std::string& strTable,
                            const std::string& strEntry, const std::optional<std::string>& renamed);
};
