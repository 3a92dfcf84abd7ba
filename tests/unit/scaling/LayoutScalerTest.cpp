#include "scaling/LayoutScaler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

std::ostream& operator<<(std::ostream& os, const Bounds& b) {
    return os << b.left << "," << b.top << " " << b.width << "x" << b.height;
}

namespace {

const char* Name(LayoutTarget t) {
    switch (t) {
    case LayoutTarget::MainWindow: return "window";
    case LayoutTarget::Banner: return "banner";
    case LayoutTarget::AutostartBox: return "autostart";
    case LayoutTarget::DelayLabel: return "label";
    case LayoutTarget::DelayBox: return "delaybox";
    case LayoutTarget::GroupBox: return "group";
    case LayoutTarget::AltOption: return "alt";
    case LayoutTarget::CtrlOption: return "ctrl";
    }
    return "?";
}

std::string Opt(std::optional<int32_t> v) { return v ? std::to_string(*v) : "-"; }


// A window and its controls held as plain rectangles and font sizes. Records
// every call; can be told that moving a target fails, and can stand in for a
// system that refuses a window size below a minimum.
class FakeLayoutOps : public LayoutOps {
public:
    int32_t dpi = 96;
    int32_t screenW = 1920, screenH = 1080;
    std::map<LayoutTarget, Bounds> bounds = {
        {LayoutTarget::MainWindow, {770, 390, 380, 300}},
        {LayoutTarget::Banner, {0, 10, 400, 80}},
        {LayoutTarget::AutostartBox, {125, 180, 130, 24}},
        {LayoutTarget::DelayLabel, {103, 220, 100, 24}},
        {LayoutTarget::DelayBox, {217, 220, 48, 21}},
        {LayoutTarget::GroupBox, {70, 92, 240, 72}},
        {LayoutTarget::AltOption, {16, 32, 70, 24}},
        {LayoutTarget::CtrlOption, {96, 28, 115, 32}},
    };
    std::map<LayoutTarget, int32_t> points;  // 8 until set
    std::set<LayoutTarget> failingMoves;
    int32_t minWindowWidth = 0, minWindowHeight = 0;
    std::vector<std::string> log;

    int32_t appliedDpi() override {
        log.push_back("dpi");
        return dpi;
    }
    int32_t screenWidth() override {
        log.push_back("screen width");
        return screenW;
    }
    int32_t screenHeight() override {
        log.push_back("screen height");
        return screenH;
    }
    Bounds getBounds(LayoutTarget t) override {
        log.push_back(std::string("get ") + Name(t));
        return bounds.at(t);
    }
    void setBounds(LayoutTarget t, std::optional<int32_t> l, std::optional<int32_t> tp, std::optional<int32_t> w,
                   std::optional<int32_t> h) override {
        log.push_back(std::string("set ") + Name(t) + " " + Opt(l) + " " + Opt(tp) + " " + Opt(w) + " " + Opt(h));
        if (failingMoves.count(t)) return;
        Bounds& b = bounds.at(t);
        b = {l.value_or(b.left), tp.value_or(b.top), w.value_or(b.width), h.value_or(b.height)};
        if (t == LayoutTarget::MainWindow) {
            b.width = std::max(b.width, minWindowWidth);
            b.height = std::max(b.height, minWindowHeight);
        }
    }
    int32_t getFontPointSize(LayoutTarget t) override {
        log.push_back(std::string("get font ") + Name(t));
        auto it = points.find(t);
        return it == points.end() ? 8 : it->second;
    }
    void setFontPointSize(LayoutTarget t, int32_t p) override {
        log.push_back(std::string("set font ") + Name(t) + " " + std::to_string(p));
        points[t] = p;
    }
};

const LayoutTarget controls[] = {LayoutTarget::Banner,   LayoutTarget::AutostartBox, LayoutTarget::DelayLabel,
                                 LayoutTarget::DelayBox, LayoutTarget::GroupBox,     LayoutTarget::AltOption,
                                 LayoutTarget::CtrlOption};

TEST(ScaleLayout_At120Dpi, ReadsAndWritesInOrder_EachControlFinishedBeforeTheNext) {
    FakeLayoutOps fake;
    fake.dpi = 120;
    ScaleLayoutWith(fake);
    const std::vector<std::string> expected = {
        "dpi",
        "get window",
        "set window - - 475 375",
        "screen width",
        "get window",
        "screen height",
        "get window",
        "set window 722 352 - -",
        "get banner",
        "set banner 0 12 500 100",
        "get autostart",
        "set autostart 156 225 162 30",
        "get font autostart",
        "set font autostart 10",
        "get label",
        "set label 128 275 125 30",
        "get font label",
        "set font label 10",
        "get delaybox",
        "set delaybox 271 275 60 26",
        "get font delaybox",
        "set font delaybox 10",
        "get group",
        "set group 87 115 300 90",
        "get font group",
        "set font group 10",
        "get alt",
        "set alt 20 40 87 30",
        "get font alt",
        "set font alt 10",
        "get ctrl",
        "set ctrl 120 35 143 40",
        "get font ctrl",
        "set font ctrl 10",
    };
    EXPECT_EQ(fake.log, expected);
}

TEST(ScaleLayout_Window, ScaledThenCentredOnTheFullScreen) {
    struct Case {
        int32_t dpi, screenW, screenH;
        Bounds before, after;
    };
    const std::vector<Case> cases = {
        {120, 1920, 1080, {770, 390, 380, 300}, {722, 352, 475, 375}},
        {144, 1920, 1080, {770, 390, 380, 300}, {675, 315, 570, 450}},
        {110, 1920, 1080, {770, 390, 380, 300}, {742, 368, 436, 344}},
        // The starting position plays no part: the window ends centred.
        {120, 1920, 1080, {-5000, 9000, 380, 300}, {722, 352, 475, 375}},
        // Wider and taller than the screen: free space -117 and -75.
        {192, 1400, 525, {0, 0, 758, 300}, {-58, -37, 1516, 600}},
        {95, 800, 600, {210, 150, 380, 300}, {212, 151, 376, 297}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("dpi " + std::to_string(c.dpi));
        FakeLayoutOps fake;
        fake.dpi = c.dpi;
        fake.screenW = c.screenW;
        fake.screenH = c.screenH;
        fake.bounds[LayoutTarget::MainWindow] = c.before;
        ScaleLayoutWith(fake);
        EXPECT_EQ(fake.bounds.at(LayoutTarget::MainWindow), c.after);
    }
}

TEST(ScaleLayout_Controls, TheDesignedLayoutAt120Dpi_LandsOnTheScaledRectangles) {
    FakeLayoutOps fake;
    fake.dpi = 120;
    ScaleLayoutWith(fake);
    const std::map<LayoutTarget, Bounds> expected = {
        {LayoutTarget::Banner, {0, 12, 500, 100}},       {LayoutTarget::AutostartBox, {156, 225, 162, 30}},
        {LayoutTarget::DelayLabel, {128, 275, 125, 30}}, {LayoutTarget::DelayBox, {271, 275, 60, 26}},
        {LayoutTarget::GroupBox, {87, 115, 300, 90}},    {LayoutTarget::AltOption, {20, 40, 87, 30}},
        {LayoutTarget::CtrlOption, {120, 35, 143, 40}},
    };
    for (const auto& [target, rect] : expected) {
        SCOPED_TRACE(Name(target));
        EXPECT_EQ(fake.bounds.at(target), rect);
    }
}

TEST(ScaleLayout_Controls, At110Dpi_TheFloatFactorTruncatesBelowTheDecimalProduct) {
    FakeLayoutOps fake;
    fake.dpi = 110;
    ScaleLayoutWith(fake);
    EXPECT_EQ(fake.bounds.at(LayoutTarget::Banner).width, 459);   // 400 x 1.15 would be 460
    EXPECT_EQ(fake.bounds.at(LayoutTarget::DelayLabel).top, 252);  // 220 x 1.15 would be 253
    EXPECT_EQ(fake.bounds.at(LayoutTarget::Banner).height, 91);
}

TEST(ScaleLayout_Fonts, AllControlsButTheBannerGetTheirOwnSizeScaled) {
    FakeLayoutOps fake;
    fake.dpi = 144;
    fake.points = {{LayoutTarget::AutostartBox, 9},  {LayoutTarget::DelayLabel, 7}, {LayoutTarget::DelayBox, 12},
                   {LayoutTarget::GroupBox, 1},      {LayoutTarget::AltOption, 0},  {LayoutTarget::CtrlOption, -3},
                   {LayoutTarget::Banner, 40}};
    ScaleLayoutWith(fake);
    const std::map<LayoutTarget, int32_t> expected = {
        {LayoutTarget::AutostartBox, 13}, {LayoutTarget::DelayLabel, 10}, {LayoutTarget::DelayBox, 18},
        {LayoutTarget::GroupBox, 1},      {LayoutTarget::AltOption, 0},   {LayoutTarget::CtrlOption, -4},
        {LayoutTarget::Banner, 40},  // never read or written
    };
    EXPECT_EQ(fake.points, expected);
    for (const std::string& entry : fake.log) EXPECT_EQ(entry.find("font banner"), std::string::npos) << entry;
}

TEST(ScaleLayout_UnitFactor, TouchesNothingButTheDpiRead) {
    FakeLayoutOps fake;
    fake.dpi = 96;
    fake.bounds[LayoutTarget::MainWindow] = {3, 4, 5000, 6000};  // not centred, and still left alone
    const auto before = fake.bounds;
    ScaleLayoutWith(fake);
    EXPECT_EQ(fake.log, std::vector<std::string>{"dpi"});
    EXPECT_EQ(fake.bounds, before);
    EXPECT_TRUE(fake.points.empty());
}

TEST(ScaleLayout_ZeroDpi, EverythingBecomesZero_AndTheWindowIsCentredByTheSizeItWasLeft) {
    FakeLayoutOps fake;
    fake.dpi = 0;
    fake.minWindowWidth = 120;  // the system keeps a caption-sized window
    fake.minWindowHeight = 38;
    ScaleLayoutWith(fake);
    EXPECT_EQ(fake.bounds.at(LayoutTarget::MainWindow), (Bounds{900, 521, 120, 38}));
    for (LayoutTarget t : controls) {
        SCOPED_TRACE(Name(t));
        EXPECT_EQ(fake.bounds.at(t), (Bounds{0, 0, 0, 0}));
        if (t != LayoutTarget::Banner) {
            EXPECT_EQ(fake.points.at(t), 0);
        }
    }
}

TEST(ScaleLayout_NegativeDpi, ScalesTheSameWayWithNegativeResults) {
    FakeLayoutOps fake;
    fake.dpi = -120;
    ScaleLayoutWith(fake);
    EXPECT_EQ(fake.bounds.at(LayoutTarget::DelayBox), (Bounds{-271, -275, -60, -26}));
    EXPECT_EQ(fake.points.at(LayoutTarget::DelayBox), -10);
}

TEST(ScaleLayout_FailedMove, LeavesThatTargetAndScalesTheRest) {
    for (LayoutTarget failing : {LayoutTarget::MainWindow, LayoutTarget::Banner, LayoutTarget::DelayBox,
                                 LayoutTarget::CtrlOption}) {
        SCOPED_TRACE(Name(failing));
        FakeLayoutOps reference;
        reference.dpi = 120;
        ScaleLayoutWith(reference);

        FakeLayoutOps fake;
        fake.dpi = 120;
        fake.failingMoves = {failing};
        const Bounds unmoved = fake.bounds.at(failing);
        ScaleLayoutWith(fake);

        EXPECT_EQ(fake.bounds.at(failing), unmoved);
        for (LayoutTarget t : controls) {
            if (t != failing) {
                EXPECT_EQ(fake.bounds.at(t), reference.bounds.at(t)) << Name(t);
            }
        }
        // Fonts do not depend on moves.
        EXPECT_EQ(fake.points, reference.points);
    }
}

}  // namespace
