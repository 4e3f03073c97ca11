#include "shell/GuiGeometry.h"
#include "settings/SettingKeys.h"
#include "support/TestContext.h"

#include <QWidget>
#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

TEST(GuiGeometry, FirstRunMaximisesThenTheSavedGeometryComesBack) {
    TestContext t;
    QWidget window;
    window.setObjectName(SettingKeys::kSectionDownloadWindow);

    GuiGeometry::restore(window, t.settings);
    EXPECT_TRUE(window.windowState() & Qt::WindowMaximized) << "first run";

    QWidget closing;
    closing.setObjectName(SettingKeys::kSectionDownloadWindow);
    closing.move(30, 40);
    closing.resize(500, 300);
    GuiGeometry::save(closing, t.settings);
    EXPECT_EQ(t.settings.read(SettingKeys::kSectionDownloadWindow, SettingKeys::kWidth), u"7500"_s);
    EXPECT_EQ(t.settings.read(SettingKeys::kSectionDownloadWindow, SettingKeys::kResolution),
              GuiGeometry::screenResolution(closing));

    QWidget reopened;
    reopened.setObjectName(SettingKeys::kSectionDownloadWindow);
    GuiGeometry::restore(reopened, t.settings);
    EXPECT_FALSE(reopened.windowState() & Qt::WindowMaximized);
    EXPECT_EQ(reopened.size(), QSize(500, 300));

    // Too small a saved size is raised to 4000 x 3000 twips.
    t.settings.write(SettingKeys::kSectionDownloadWindow, SettingKeys::kWidth, u"15"_s);
    t.settings.write(SettingKeys::kSectionDownloadWindow, SettingKeys::kHeight, u"15"_s);
    GuiGeometry::restore(reopened, t.settings);
    EXPECT_EQ(reopened.size(), QSize(267, 200));
}

} // namespace
