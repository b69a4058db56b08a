#include "tests/support/CommaLocale.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    // Without a display, test discovery would abort when the application is built.
    if (std::getenv("QT_QPA_PLATFORM") == nullptr && std::getenv("DISPLAY") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Before the application, which takes the locale from the environment as Coffer does.
    std::string why;
    const bool inLocale = testing_support::EnterTestLocale(why);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    if (!inLocale)
        testing::AddGlobalTestEnvironment(new testing_support::MissingLocale(why));
    return RUN_ALL_TESTS();
}
