#pragma once

#include "plan/RecurringTemplate.h"

#include <string>
#include <vector>

class CADODatabase;

/// One occurrence of a template that is due and not made yet.
struct DueOccurrence {
    RecurringTemplate tmpl;
    CPlanDate day;
};

/// The recurring templates of the ledger and the occurrences they have made (or passed
/// over, after a change of rule). Each
/// occurrence is made at most once: its record and its row in planOccurrence are written
/// in one transaction, which holds the ledger's write lock from its start, so neither a
/// crash nor a second copy of Coffer can make it twice.
class CRecurringBook {
public:
    /// The hour of day a made record carries: the inquiries count a day from just after
    /// its midnight, so a record at midnight would miss its own day.
    static constexpr int kRecordHour = 12;

    explicit CRecurringBook(CADODatabase& db) : m_db(db) {}

    /// The templates, in the order they were added; none without the plan tables.
    std::vector<RecurringTemplate> Templates();
    /// Adds (nId 0; it then gets its key) or changes a template. A change of its rule, kind
    /// or first date applies from today on: the records made stay, and the days before today
    /// are never made under the new rule. False with `strError` for the user when the tables
    /// could not be added.
    bool Save(RecurringTemplate& tmpl, std::string& strError);
    /// Removes a template; the records it made stay.
    void Remove(long nId);

    /// The occurrences due on or before `today` and not made yet, by day, then template.
    std::vector<DueOccurrence> Due(const CPlanDate& today);
    /// The same, for `templates` as read already.
    std::vector<DueOccurrence> Due(const std::vector<RecurringTemplate>& templates,
                                   const CPlanDate& today);
    /// Writes the occurrence's record, unless it is made already; true when this call
    /// wrote it.
    bool Make(const DueOccurrence& due);

private:
    CADODatabase& m_db;
};
