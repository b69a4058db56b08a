#include "tests/tools/ToolRun.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Control {
    int x = 0, y = 0, width = 0, height = 0;
    std::string room; // "-" for a control without text
};

struct Window {
    int width = 0, height = 0, imageWidth = 0, imageHeight = 0;
    std::map<std::string, std::vector<Control>> controls; // by name; unnamed ones share "-1"
};

struct Probe {
    std::map<std::string, Window> windows;
    std::map<std::string, int> triangleColours;
    std::string output;
};

// The main window and the income inquiry as the probe shows them at a screen scale.
Probe RunProbe(const char* scale) {
    const auto run = RunCommand(std::string("env QT_QPA_PLATFORM=offscreen "
                                            "QT_SCALE_FACTOR=") +
                                scale + " " + HIDPI_PROBE);
    Probe probe;
    probe.output = run.output;
    std::istringstream lines(run.output);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream in(line);
        std::string kind, window;
        in >> kind >> window;
        if (kind == "window") {
            Window& shown = probe.windows[window];
            in >> shown.width >> shown.height >> shown.imageWidth >> shown.imageHeight;
        } else if (kind == "control") {
            std::string name;
            Control control;
            in >> name >> control.x >> control.y >> control.width >> control.height >> control.room;
            probe.windows[window].controls[name].push_back(control);
        } else if (kind == "triangle") {
            in >> probe.triangleColours[window];
        }
    }
    return probe;
}

class HiDpiTest : public testing::TestWithParam<const char*> {
protected:
    static void SetUpTestSuite() { s_unscaled = new Probe(RunProbe("1")); }
    static void TearDownTestSuite() {
        delete s_unscaled;
        s_unscaled = nullptr;
    }
    static Probe* s_unscaled;
};

Probe* HiDpiTest::s_unscaled = nullptr;

TEST_P(HiDpiTest, WindowsKeepTheirProportionsAndTextIsNotCut) {
    const double scale = std::stod(GetParam());
    const Probe scaled = RunProbe(GetParam());
    // The main window, the inquiry, and every template on its own.
    ASSERT_GE(s_unscaled->windows.size(), 13u) << s_unscaled->output;
    ASSERT_EQ(scaled.windows.size(), s_unscaled->windows.size()) << scaled.output;
    for (const auto& [name, plain] : s_unscaled->windows) {
        SCOPED_TRACE(name);
        const Window& shown = scaled.windows.at(name);
        // The same size in the window's own units, drawn with scale times the pixels.
        EXPECT_EQ(shown.width, plain.width);
        EXPECT_EQ(shown.height, plain.height);
        EXPECT_NEAR(shown.imageWidth, plain.width * scale, 1.0);
        EXPECT_NEAR(shown.imageHeight, plain.height * scale, 1.0);
        ASSERT_EQ(shown.controls.size(), plain.controls.size());
        for (const auto& [id, controls] : plain.controls) {
            ASSERT_EQ(shown.controls.at(id).size(), controls.size()) << id;
            for (size_t i = 0; i < controls.size(); ++i) {
                const Control& before = controls[i];
                const Control& after = shown.controls.at(id)[i];
                SCOPED_TRACE(id);
                EXPECT_NEAR(after.x, before.x, 1);
                EXPECT_NEAR(after.y, before.y, 1);
                EXPECT_NEAR(after.width, before.width, 1);
                EXPECT_NEAR(after.height, before.height, 1);
                if (before.room == "-")
                    continue;
                // A glyph's advance counts its bearing: one pixel over still shows it whole.
                EXPECT_GE(std::stoi(after.room), -1);
                EXPECT_GE(std::stoi(after.room), std::stoi(before.room) - 1);
            }
        }
    }
}

TEST_P(HiDpiTest, SortTriangleIsDrawnAtTheScreensResolution) {
    const Probe scaled = RunProbe(GetParam());
    ASSERT_EQ(scaled.triangleColours.count("inquiry"), 1u) << scaled.output;
    // The heading's face and the two pens, nothing smoothed in between.
    EXPECT_GE(scaled.triangleColours.at("inquiry"), 2);
    EXPECT_LE(scaled.triangleColours.at("inquiry"), 3);
}

INSTANTIATE_TEST_SUITE_P(Scales, HiDpiTest, testing::Values("1.5", "2"), [](const auto& test) {
    return std::string(test.param) == "2" ? std::string("200") : std::string("150");
});

} // namespace
