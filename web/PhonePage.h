#pragma once

#include "web/PhoneLedger.h"

#include <string>
#include <vector>

/// The phone page's HTML, written on the server: forms that work without script, every
/// text escaped, nothing from outside.
namespace PhonePage {

std::string Escape(const std::string& text);
/// An amount in cents as "12.50".
std::string Money(std::int64_t nCents);

/// What the entry page shows.
struct EntryView {
    std::string strCsrf;
    std::string strSubmission; // the id the next 记一笔 carries
    std::string strUser, strDevice;
    std::string strMessage;
    bool bError = false;
    CPhoneLedger::Entry entry; // what the form shows (kept after a refusal)
    std::vector<std::string> members, payItems, incomeItems;
    /// The accounts a record may be given, "（不指定）" first; empty when the ledger has none,
    /// and then the page asks for no account.
    std::vector<std::string> accounts;
    std::string strNow; // "YYYY-MM-DDTHH:MM"
    std::string strToday; // "YYYY-MM-DD"
    std::vector<CPhoneLedger::Record> month;
    std::optional<CPhoneLedger::Record> last;
};
std::string Entry(const EntryView& view);

/// The pairing form (user, password, device name), or only `strMessage` without a code.
struct PairView {
    std::string strCsrf, strCode, strUser, strDevice, strMessage, strFingerprint;
    bool bFormShown = true;
};
std::string Pair(const PairView& view);

/// A page with one message (not paired, expired form, …) and the certificate's link.
std::string Notice(const std::string& strMessage, const std::string& strFingerprint);

/// "YYYY-MM-DDTHH:MM" for a date-time box.
std::string DateTimeBox(const COleDateTime& date);

} // namespace PhonePage
