#include "tests/support/CommaLocale.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    std::string why;
    if (!testing_support::EnterTestLocale(why))
        testing::AddGlobalTestEnvironment(new testing_support::MissingLocale(why));
    return RUN_ALL_TESTS();
}
