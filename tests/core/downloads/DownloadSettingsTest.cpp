#include "downloads/DownloadSettings.h"
#include "downloads/DownloadSession.h"
#include "downloads/OptionsController.h"
#include "settings/SettingKeys.h"
#include "support/QtPrinters.h"
#include "support/TestContext.h"

#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;
using namespace SettingKeys;

namespace {

TEST(DownloadSettings, NothingStoredGivesTheDefaults) {
    TestContext t;
    DownloadOptions o;
    o.autoStart = o.sound = o.stopRule = o.autoRetry = true;
    o.pauseSeconds = 30;
    DownloadSettings::load(t.settings, o, 10.0);
    EXPECT_EQ(o.method, 2);
    EXPECT_EQ(o.slotCount, 3);
    EXPECT_EQ(o.policy, DuplicatePolicy::Rename);
    EXPECT_FALSE(o.proxyEnabled);
    EXPECT_TRUE(o.proxyHost.isEmpty());
    EXPECT_TRUE(o.proxyPort.isEmpty());
    EXPECT_DOUBLE_EQ(o.maxFileSizeMB, 10.0);
    EXPECT_EQ(o.pauseSeconds, 0);
    EXPECT_FALSE(o.autoStart || o.sound || o.stopRule || o.autoRetry);
    EXPECT_EQ(o.autoRetryMode, 0);
}

struct LoadCase {
    const char* name;
    QList<std::pair<QString, QString>> stored; // "section/key" -> value
    int method;
    int slotCount;
    DuplicatePolicy policy;
    double maxSize;
};

TEST(DownloadSettings, LoadTable) {
    const QString method = kSectionSettings + u'/' + kMethod;
    const QString slotKey = kSectionDownload + u'/' + kSlots;
    const QString policy = kSectionDuplicate + u'/' + kDuplicatePolicy;
    const QString size = kSectionSettings + u'/' + kMaxFileSize;
    const LoadCase cases[] = {
        {"method 1 ignores the stored slot position",
         {{method, u"1"_s}, {slotKey, u"5"_s}},
         1,
         1,
         DuplicatePolicy::Rename,
         10},
        {"last slot position is six slots", {{slotKey, u"5"_s}}, 2, 6, DuplicatePolicy::Rename, 10},
        {"first slot position is one slot", {{slotKey, u"0"_s}}, 2, 1, DuplicatePolicy::Rename, 10},
        {"position past the list leaves one slot", {{slotKey, u"6"_s}}, 2, 1, DuplicatePolicy::Rename, 10},
        {"negative position leaves one slot", {{slotKey, u"-1"_s}}, 2, 1, DuplicatePolicy::Rename, 10},
        {"unknown method number behaves as method 2", {{method, u"7"_s}}, 7, 3, DuplicatePolicy::Rename, 10},
        {"non-numeric method is method 2", {{method, u"x"_s}}, 2, 3, DuplicatePolicy::Rename, 10},
        {"skip policy", {{policy, u" 跳过 "_s}}, 2, 3, DuplicatePolicy::Skip, 10},
        {"overwrite policy", {{policy, u"覆盖"_s}}, 2, 3, DuplicatePolicy::Overwrite, 10},
        {"unknown policy renames", {{policy, u"别的"_s}}, 2, 3, DuplicatePolicy::Rename, 10},
        {"fractional size", {{size, u"0.5"_s}}, 2, 3, DuplicatePolicy::Rename, 0.5},
        {"unreadable size keeps the fallback", {{size, u"ten"_s}}, 2, 3, DuplicatePolicy::Rename, 42},
    };
    for (const LoadCase& c : cases) {
        TestContext t;
        for (const auto& [path, value] : c.stored)
            t.settings.write(path.section(u'/', 0, 0), path.section(u'/', 1), value);
        DownloadOptions o;
        DownloadSettings::load(t.settings, o, 42);
        EXPECT_EQ(o.method, c.method) << c.name;
        EXPECT_EQ(o.slotCount, c.slotCount) << c.name;
        EXPECT_EQ(o.policy, c.policy) << c.name;
        EXPECT_DOUBLE_EQ(o.maxFileSizeMB, c.maxSize) << c.name;
    }
}

TEST(DownloadSettings, CloseStoresAndTheNextLoadRestores) {
    TestContext t;
    DownloadOptions o;
    DownloadSettings::load(t.settings, o, 10);
    DownloadSettings::switchMethod(o);
    EXPECT_EQ(o.method, 1);
    EXPECT_EQ(o.slotCount, 1);
    o.policy = DuplicatePolicy::Skip;
    DownloadSettings::storePolicyAndMethod(t.settings, o);
    DownloadSettings::storeSlots(t.settings, o);
    EXPECT_EQ(t.settings.read(kSectionSettings, kMethod), u"1"_s);
    EXPECT_EQ(t.settings.read(kSectionDuplicate, kDuplicatePolicy), u"跳过"_s);
    EXPECT_EQ(t.settings.read(kSectionDownload, kSlots), u"0"_s);

    DownloadOptions again;
    DownloadSettings::load(t.settings, again, 10);
    EXPECT_EQ(again.method, 1);
    EXPECT_EQ(again.slotCount, 1);
    EXPECT_EQ(again.policy, DuplicatePolicy::Skip);

    again.method = 2;
    again.slotCount = 4;
    DownloadSettings::storeSlots(t.settings, again);
    EXPECT_EQ(t.settings.read(kSectionDownload, kSlots), u"3"_s);
}

TEST(DownloadSettings, SwitchMethod) {
    DownloadOptions o;
    o.slotCount = 5;
    DownloadSettings::switchMethod(o);
    EXPECT_EQ(o.method, 1);
    DownloadSettings::switchMethod(o);
    EXPECT_EQ(o.method, 2);
    EXPECT_EQ(o.slotCount, 1);
    o.method = 9;
    DownloadSettings::switchMethod(o);
    EXPECT_EQ(o.method, 2);
    EXPECT_EQ(DownloadSettings::methodLabel(1), u"下载方式：1"_s);
}

struct ProxyCase {
    const char* name;
    bool enabled;
    QString host;
    QString port;
    bool warned;
};

TEST(OptionsController, ProxyWarningTable) {
    const ProxyCase cases[] = {
        {"enabled and complete", true, u"proxy.example"_s, u"3128"_s, false},
        {"enabled without address", true, u"  "_s, u"3128"_s, true},
        {"enabled with letters for a port", true, u"10.0.0.1"_s, u"80a"_s, true},
        {"enabled with empty port", true, u"10.0.0.1"_s, QString(), true},
        {"enabled with port out of range", true, u"10.0.0.1"_s, u"70000"_s, true},
        {"disabled and incomplete", false, QString(), u"x"_s, false},
    };
    for (const ProxyCase& c : cases) {
        TestContext t;
        OptionsController dialog(t.context(), nullptr);
        OptionsValues v = dialog.open();
        v.proxyEnabled = c.enabled;
        v.proxyHost = u" "_s + c.host + u" "_s;
        v.proxyPort = c.port + u" "_s;
        dialog.confirm(v);
        EXPECT_EQ(t.prompts.messages(), c.warned ? QStringList{OptionsController::kBadProxy} : QStringList())
            << c.name;
        // Reported, but stored all the same (trimmed).
        EXPECT_EQ(t.settings.read(kSectionSettings, kProxyHost), c.host.trimmed()) << c.name;
        EXPECT_EQ(t.settings.read(kSectionSettings, kProxyPort), c.port.trimmed()) << c.name;
        EXPECT_EQ(t.settings.read(kSectionSettings, kProxyEnabled), c.enabled ? u"1"_s : u"0"_s) << c.name;
    }
}

struct SizeCase {
    const char* name;
    QString typed;
    QString stored; // what the store holds afterwards
    bool refused;
};

TEST(OptionsController, MaximumSizeStaysANumber) {
    const SizeCase cases[] = {
        {"half a megabyte", u"0.5"_s, u"0.5"_s, false},
        {"blanks around", u" 25 "_s, u"25"_s, false},
        {"zero", u"0"_s, u"0"_s, false},
        {"letters keep the previous size", u"abc"_s, u"7"_s, true},
        {"empty keeps the previous size", QString(), u"7"_s, true},
        {"negative keeps the previous size", u"-3"_s, u"7"_s, true},
        {"number with trailing letters is refused", u"12MB"_s, u"7"_s, true},
    };
    for (const SizeCase& c : cases) {
        TestContext t;
        t.settings.write(kSectionSettings, kMaxFileSize, u"7"_s);
        t.state.maxFileSizeMB = 7;
        DownloadSession session(t.context());
        DownloadSettings::load(t.settings, session.options(), 10);
        OptionsController dialog(t.context(), &session);
        OptionsValues v = dialog.open();
        EXPECT_EQ(v.maxSizeText, u"7"_s) << c.name;
        v.maxSizeText = c.typed;
        dialog.confirm(v);
        EXPECT_EQ(t.settings.read(kSectionSettings, kMaxFileSize), c.stored) << c.name;
        EXPECT_DOUBLE_EQ(session.options().maxFileSizeMB, c.stored.toDouble()) << c.name;
        EXPECT_DOUBLE_EQ(t.state.maxFileSizeMB, c.stored.toDouble()) << c.name;
        EXPECT_EQ(t.prompts.messages(),
                  c.refused ? QStringList{OptionsController::kBadMaxSize} : QStringList())
            << c.name;
    }
}

TEST(OptionsController, DoiResolverStaysAWebAddress) {
    const SizeCase cases[] = {
        {"another resolver", u"https://resolver.example/doi/"_s, u"https://resolver.example/doi/"_s, false},
        {"blanks around", u" http://r.example/ "_s, u"http://r.example/"_s, false},
        {"no scheme keeps the previous one", u"doi.org"_s, u"https://doi.org/"_s, true},
        {"empty keeps the previous one", QString(), u"https://doi.org/"_s, true},
    };
    for (const SizeCase& c : cases) {
        TestContext t;
        OptionsController dialog(t.context(), nullptr);
        OptionsValues v = dialog.open();
        EXPECT_EQ(v.doiResolver, u"https://doi.org/"_s) << c.name;
        v.doiResolver = c.typed;
        dialog.confirm(v);
        EXPECT_EQ(t.settings.read(kSectionSettings, kDoiResolver), c.stored) << c.name;
        EXPECT_EQ(t.prompts.messages(),
                  c.refused ? QStringList{OptionsController::kBadResolver} : QStringList())
            << c.name;
    }
}

struct NamingCase {
    const char* name;
    QString typed;
    QString stored; // what the store and the open window hold afterwards
    bool refused;
};

TEST(OptionsController, NamingTemplateIsStoredOrRefusedWithTheReason) {
    const NamingCase cases[] = {
        {"author year title", u" {author} {year} {title} "_s, u"{author} {year} {title}"_s, false},
        {"unknown field keeps the previous template", u"{autor} {title}"_s, u"{year} {title}"_s, true},
        {"empty keeps the previous template", u""_s, u"{year} {title}"_s, true},
        {"unclosed brace keeps the previous template", u"{title"_s, u"{year} {title}"_s, true},
    };
    for (const NamingCase& c : cases) {
        TestContext t;
        t.settings.write(kSectionDownload, kNamingTemplate, u"{year} {title}"_s);
        DownloadSession session(t.context());
        DownloadSettings::load(t.settings, session.options(), 10);
        OptionsController dialog(t.context(), &session);
        OptionsValues v = dialog.open();
        EXPECT_EQ(v.namingTemplate, u"{year} {title}"_s) << c.name;
        v.namingTemplate = c.typed;
        dialog.confirm(v);
        EXPECT_EQ(t.settings.read(kSectionDownload, kNamingTemplate), c.stored) << c.name;
        EXPECT_EQ(session.options().namingTemplate, c.stored) << c.name;
        ASSERT_EQ(t.prompts.messages().size(), c.refused ? 1 : 0) << c.name;
        if (c.refused) {
            const QString message = t.prompts.messages().first();
            EXPECT_TRUE(message.startsWith(OptionsController::kBadNaming) &&
                        message.endsWith(OptionsController::kKeptNaming))
                << c.name << ": " << message.toStdString();
        }
    }
    // A template nobody stored reads as the default; a broken one stored by hand is shown for
    // mending, while downloads keep the default.
    TestContext t;
    DownloadOptions o;
    DownloadSettings::load(t.settings, o, 10);
    EXPECT_EQ(o.namingTemplate, u"{title}"_s);
    t.settings.write(kSectionDownload, kNamingTemplate, u"{autor}"_s);
    DownloadSettings::load(t.settings, o, 10);
    EXPECT_EQ(o.namingTemplate, u"{title}"_s);
    EXPECT_EQ(OptionsController(t.context(), nullptr).open().namingTemplate, u"{autor}"_s);
    EXPECT_EQ(OptionsController::namingPreview(u"{author} {year} {title}"_s, t.codec),
              u"示例：Smith 2019 Deep learning for protein structure prediction.pdf"_s);
    EXPECT_TRUE(OptionsController::namingPreview(u"{autor}"_s, t.codec).contains(u"{autor}"_s));
}

TEST(OptionsController, SlotCountStartsAtOneOnlyWhenTheMethodChanges) {
    const struct {
        const char* name;
        int windowMethod;
        int chosenMethod;
        int slotsAfter;
    } cases[] = {
        {"method 2 confirmed", 2, 2, 3},
        {"method 1 confirmed", 1, 1, 3},
        {"2 to 1", 2, 1, 1},
        {"1 to 2", 1, 2, 1},
        {"an odd stored method counts as 2", 7, 2, 3},
    };
    for (const auto& c : cases) {
        TestContext t;
        DownloadSession session(t.context());
        session.options().method = c.windowMethod;
        session.options().slotCount = 3;
        OptionsController dialog(t.context(), &session);
        OptionsValues v = dialog.open();
        v.method = c.chosenMethod;
        dialog.confirm(v);
        EXPECT_EQ(session.options().slotCount, c.slotsAfter) << c.name;
        EXPECT_EQ(session.options().method, c.chosenMethod) << c.name;
    }
}

TEST(OptionsController, MethodAndPromptReachTheOpenDownloadWindow) {
    TestContext t;
    DownloadSession session(t.context());
    DownloadSettings::load(t.settings, session.options(), 10);
    int notified = 0;
    QObject::connect(&session, &DownloadSession::optionsChanged, &session, [&] { ++notified; });
    OptionsController dialog(t.context(), &session);
    OptionsValues v = dialog.open();
    EXPECT_EQ(v.method, 2);
    EXPECT_TRUE(v.promptFolderOnHarvest);
    v.method = 1;
    v.promptFolderOnHarvest = false;
    dialog.confirm(v);
    EXPECT_EQ(session.options().method, 1);
    EXPECT_EQ(session.options().slotCount, 1);
    EXPECT_EQ(notified, 1);
    EXPECT_EQ(t.state.promptSaveFolderOnHarvest, 0);
    EXPECT_EQ(t.settings.read(kSectionSettings, kPromptFolderOnHarvest), u"0"_s);
    EXPECT_EQ(t.settings.read(kSectionSettings, kMethod), u"1"_s);

    // The window's unsaved switch is what the dialog shows next time.
    DownloadSettings::switchMethod(session.options());
    EXPECT_EQ(OptionsController(t.context(), &session).open().method, 2);
    // Without a download window the stored values are shown.
    EXPECT_EQ(OptionsController(t.context(), nullptr).open().method, 1);
}

} // namespace
