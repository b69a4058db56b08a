#pragma once

#include "web/WebMessage.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

/// What the phone sends, decoded and checked before anything else looks at it. Pure
/// functions over bytes: no network, no ledger, so a fuzzer can run them on anything.
namespace web {

/// The limits every decoded form is held to.
inline constexpr std::size_t kMaxFields = 24;
inline constexpr std::size_t kMaxNameBytes = 32;
inline constexpr std::size_t kMaxValueBytes = 2048;
inline constexpr std::size_t kMaxCookies = 16;

using Fields = std::map<std::string, std::string, std::less<>>;

/// An application/x-www-form-urlencoded body (or a query string) into its fields. False
/// for anything malformed: a bad percent escape, a name or value over its limit, too many
/// fields, a name given twice, text that is not UTF-8, a control character other than a
/// tab or a line break.
bool DecodeForm(std::string_view body, Fields& fields);

/// The cookies of a Cookie header; malformed pairs are skipped, never an error.
Fields DecodeCookies(std::string_view header);

/// The text without the spaces and tabs around it.
std::string_view Trim(std::string_view text);

/// True for bytes that are well-formed UTF-8 (no overlong forms, no surrogates).
bool IsUtf8(std::string_view text);
/// True for UTF-8 text with no control character but a tab or a line break: what a field
/// may hold.
bool IsPlainText(std::string_view text);

/// The request line and headers of a request (up to its empty line), before any of its body
/// has arrived: method, path, query and headers (names in lower case) into `request`. False
/// for anything that is not a request head.
bool DecodeRequestHead(std::string_view head, WebRequest& request);

/// How an amount field reads.
enum class AmountText { Ok, Empty, NotNumber };
/// "12", "12.5", "0.05": whole yuan with at most two decimals, at most 9 digits before the
/// point, into cents.
AmountText ParseAmount(std::string_view text, std::int64_t& nCents);

/// A date and time as a phone's date-time box sends it: "YYYY-MM-DDTHH:MM" or with ":SS".
struct LocalDateTime {
    int nYear = 0, nMonth = 0, nDay = 0, nHour = 0, nMinute = 0, nSecond = 0;
};
bool ParseDateTime(std::string_view text, LocalDateTime& when);

/// A submission id made on the phone: 16 to 64 letters, digits, hyphens and underscores.
bool IsSubmissionId(std::string_view text);

/// The length of a UTF-8 text in characters (code points).
std::size_t CharacterCount(std::string_view text);

} // namespace web
