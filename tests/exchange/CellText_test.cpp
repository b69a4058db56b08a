#include "exchange/CellText.h"

#include <gtest/gtest.h>

namespace {

// Invisible characters inside or around a name made a second "爸爸".
TEST(CellTextTest, NamesLoseFormatCharactersAndBlanks) {
    const struct {
        const char* text;
        const char* clean;
    } cases[] = {
        {"爸爸", "爸爸"},
        {"\xEF\xBB\xBF爸爸", "爸爸"},          // byte order mark
        {"爸\xE2\x80\x8B爸", "爸爸"},          // zero-width space
        {"爸爸\xE2\x80\x8D", "爸爸"},          // zero-width joiner
        {"\xE2\x80\x8F爸爸\xE2\x80\xAE", "爸爸"}, // right-to-left mark, override
        {"\xE2\x81\xA0爸爸\xC2\xAD", "爸爸"},  // word joiner, soft hyphen
        {" \xEF\xBB\xBF 妈妈 \t", "妈妈"},
        {"\xF3\xA0\x80\x81tag", "tag"},         // U+E0001 language tag
        {"\xE2\x80\x8B", ""},
        {"a\xFF" "b", "a\xFF" "b"},             // not UTF-8: kept as it is
        {"家\xE3\x80\x80人", "家\xE3\x80\x80人"}, // an ideographic space is seen: kept
    };
    for (const auto& c : cases)
        EXPECT_EQ(CleanName(c.text), c.clean) << c.text;
}

// A cell a spreadsheet would run as a formula is written with a leading ', and read back
// exactly; amounts are numbers and are never guarded.
TEST(CellTextTest, FormulaCellsAreGuardedAndGivenBackExactly) {
    const struct {
        const char* text;
        const char* written;
    } cases[] = {
        {"=HYPERLINK(\"http://x\",\"点我\")", "'=HYPERLINK(\"http://x\",\"点我\")"},
        {"+86 138", "'+86 138"},
        {"-5", "'-5"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"\tcmd", "'\tcmd"},
        {"\rcmd", "'\rcmd"},
        {"'quoted", "''quoted"},
        {"'=x", "''=x"},
        {"'", "''"},
        {"午饭 = 20", "午饭 = 20"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GuardFormula(c.text), c.written) << c.text;
        EXPECT_EQ(StripFormulaGuard(GuardFormula(c.text)), c.text) << c.text;
    }
    // A bank's own text that begins with ' is read as it stands.
    EXPECT_EQ(StripFormulaGuard("'abc"), "'abc");
}

} // namespace
