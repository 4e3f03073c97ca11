#include "settings/WindowGeometry.h"
#include "settings/SettingKeys.h"
#include "support/TestContext.h"

#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;
using namespace mojing::SettingKeys;

namespace {

const QString kSection = kSectionDownloadWindow;
const QString kScreen = u"1400*900"_s;

TEST(ScreenResolutionText, PixelsAreTwipsOverFifteenHalvesToEven) {
    struct Case {
        const char* name;
        QSizeF twips;
        QString expected;
    };
    const Case cases[] = {
        {"whole pixels", {1920.0 * 15, 1080.0 * 15}, u"1920*1080"_s},
        {"half rounds down to even", {100.5 * 15, 101.5 * 15}, u"100*102"_s},
        {"just above half rounds up", {(100.5 + 1e-6) * 15, 7 * 15}, u"101*7"_s},
        {"just below half rounds down", {(100.5 - 1e-6) * 15, 7 * 15}, u"100*7"_s},
        {"empty screen", {0, 0}, u"0*0"_s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WindowGeometry::screenResolutionText(c.twips), c.expected) << c.name;
}

struct GeometryCase {
    const char* name;
    QList<std::pair<QString, QString>> stored; // key -> text; nothing stored = first run
    bool maximise;
    std::optional<int> left, top, width, height;
};

TEST(WindowGeometry, Restore) {
    const GeometryCase cases[] = {
        {"first run maximises", {}, true, {}, {}, {}, {}},
        {"closed maximised", {{kResolution, u"0*0"_s}, {kTop, u"200"_s}}, true, {}, {}, {}, {}},
        {"other resolution", {{kResolution, u"1024*768"_s}}, true, {}, {}, {}, {}},
        {"same resolution, defaults", {{kResolution, kScreen}}, false, 100, 100, 15000, 10000},
        {"saved values",
         {{kResolution, kScreen},
          {kTop, u"300"_s},
          {kLeft, u"450"_s},
          {kWidth, u"9000"_s},
          {kHeight, u"6000"_s}},
         false,
         450,
         300,
         9000,
         6000},
        {"narrow and short raised",
         {{kResolution, kScreen}, {kWidth, u"3000"_s}, {kHeight, u"2999"_s}},
         false,
         100,
         100,
         4000,
         3000},
        {"at the minimums stays",
         {{kResolution, kScreen}, {kWidth, u"4000"_s}, {kHeight, u"3000"_s}},
         false,
         100,
         100,
         4000,
         3000},
        {"negative top and left raised",
         {{kResolution, kScreen}, {kTop, u"-15"_s}, {kLeft, u"-300"_s}},
         false,
         0,
         0,
         15000,
         10000},
        {"non-numbers are skipped",
         {{kResolution, kScreen}, {kTop, u"abc"_s}, {kWidth, u""_s}},
         false,
         100,
         {},
         {},
         10000},
    };
    for (const GeometryCase& c : cases) {
        TestContext t;
        for (const auto& [key, value] : c.stored)
            t.settings.write(kSection, key, value);
        const WindowGeometry::Restore r = WindowGeometry::restore(t.settings, kSection, kScreen);
        EXPECT_EQ(r.maximise, c.maximise) << c.name;
        EXPECT_EQ(r.left, c.left) << c.name;
        EXPECT_EQ(r.top, c.top) << c.name;
        EXPECT_EQ(r.width, c.width) << c.name;
        EXPECT_EQ(r.height, c.height) << c.name;
    }
}

TEST(WindowGeometry, SaveThenRestoreRoundTrips) {
    TestContext t;
    WindowGeometry::save(t.settings, kSection, false, {150, 300, 9000, 6000}, kScreen);
    WindowGeometry::Restore r = WindowGeometry::restore(t.settings, kSection, kScreen);
    EXPECT_FALSE(r.maximise);
    EXPECT_EQ(r.left, 150);
    EXPECT_EQ(r.top, 300);
    EXPECT_EQ(r.width, 9000);
    EXPECT_EQ(r.height, 6000);

    // A maximised close records only "0*0"; the normal geometry stays for later.
    WindowGeometry::save(t.settings, kSection, true, {1, 2, 3, 4}, kScreen);
    EXPECT_EQ(t.settings.read(kSection, kResolution), u"0*0"_s);
    EXPECT_EQ(t.settings.read(kSection, kWidth), u"9000"_s);
    EXPECT_TRUE(WindowGeometry::restore(t.settings, kSection, kScreen).maximise) << "opens maximised again";

    // The same geometry under another screen resolution opens maximised.
    WindowGeometry::save(t.settings, kSection, false, {150, 300, 9000, 6000}, kScreen);
    EXPECT_TRUE(WindowGeometry::restore(t.settings, kSection, u"1920*1080"_s).maximise);
}

} // namespace
