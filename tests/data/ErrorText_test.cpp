#include "data/ErrorText.h"

#include <gtest/gtest.h>

namespace {

TEST(ErrorTextTest, CodeMeanings) {
    const struct {
        unsigned long code;
        const char* meaning;
    } cases[] = {
        {0x80004005, "Unspecified error"},
        {0x80004003, "Invalid pointer"},
        {0x80020005, "Type mismatch."},
        {0x80040E37, "IDispatch error #3127"},
        {0x80040E14, "IDispatch error #3092"},
        {0x80040201, "IDispatch error #1"},
        {0x8004FFFF, "IDispatch error #65023"},
        {0x80040200, "Unknown error 0x80040200"},
        {0x800A0CC1, "Unknown error 0x800A0CC1"},
        {0x800A0E78, "Unknown error 0x800A0E78"},
        {0x1, "Unknown error 0x1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ErrorCodeMeaning(static_cast<long>(static_cast<std::int32_t>(c.code))), c.meaning)
            << std::hex << c.code;
}

TEST(ErrorTextTest, AbsentSourceAndDescriptionShowAsNull) {
    EXPECT_EQ(FormatEngineError("CADODataBase", ado::ComError(ado::E_POINTER)),
              "CADODataBase Error\n\tCode = 80004003\n\tCode meaning = Invalid pointer\n"
              "\tSource = (null)\n\tDescription = (null)\n");
    EXPECT_EQ(
        FormatEngineError("CADORecordset", ado::ComError(ado::DB_E_NOTABLE, "engine", "no table")),
        "CADORecordset Error\n\tCode = 80040e37\n\tCode meaning = IDispatch error #3127\n"
        "\tSource = engine\n\tDescription = no table\n");
}

} // namespace
