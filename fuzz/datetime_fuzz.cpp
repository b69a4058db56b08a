// The date-time text parser (the report list's date rule, dates read from a ledger):
// whatever the text, a parsed value lies in the calendar's range, and the stored form of
// it reads back as the same value.
#include "data/FormatDateTime.h"
#include "platform/ado/StoredDate.h"
#include "platform/ole/DateTimeParser.h"
#include "platform/ole/OleCalendar.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    COleDateTime value;
    if (ole::ParseDateTime(text, value)) {
        if (value.GetStatus() != COleDateTime::valid || !ole::OleCalendar::InRange(value.m_dt))
            std::abort();
        const std::string stored = FormatDateTime(value, "%Y-%m-%d %H:%M:%S");
        COleDateTime again;
        if (!ole::ParseDateTime(stored, again) || again.m_dt != value.m_dt)
            std::abort();
        FormatDateTime(value, "%Y-%m-%d %H时 %A %B %j %%");
    }
    double oleDate = 0;
    if (ado::StoredDate::Parse(text, oleDate)) {
        std::string stored;
        if (ado::StoredDate::Format(oleDate, stored)) {
            double again = 0;
            if (!ado::StoredDate::Parse(stored, again) || again != oleDate)
                std::abort();
        }
    }
    return 0;
}
