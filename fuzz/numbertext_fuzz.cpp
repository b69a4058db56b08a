// Number texts: the report list's number rule and value, its sort keys, and the C runtime
// forms fields are shown in. Keys of any two texts compare without fault, and a text
// compares equal to itself.
#include "controls/ReportSortKey.h"
#include "data/NumberText.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // Two texts: before and after the first line feed.
    const size_t cut = input.find('\n');
    const std::string first(input.substr(0, cut));
    const std::string second(cut == std::string_view::npos ? std::string_view()
                                                           : input.substr(cut + 1));
    const double value = CReportSortKey::NumberValue(first);
    CReportSortKey::IsNumberText(first);
    for (int digits : {1, 10, 15, 20})
        NumberText::Gcvt(value, digits);
    NumberText::Currency(value);
    NumberText::Itoa(static_cast<std::int64_t>(std::isfinite(value) && std::fabs(value) < 9e18
                                                   ? value
                                                   : 0));

    const std::string collatedFirst = CReportSortKey::ToGb18030(first);
    const std::string collatedSecond = CReportSortKey::ToGb18030(second);
    CReportSortKey a(first);
    CReportSortKey b(second);
    a.SetCollation(collatedFirst);
    b.SetCollation(collatedSecond);
    for (bool ascending : {true, false}) {
        CReportSortKey::Compare(a, b, ascending);
        CReportSortKey::Compare(b, a, ascending);
        if (CReportSortKey::Compare(a, a, ascending) != 0)
            std::abort();
    }
    CReportSortKey lazy = CReportSortKey::KindOnly(first);
    lazy.ReadNumber();
    lazy.ReadDate();
    return 0;
}
