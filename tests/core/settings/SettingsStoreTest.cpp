#include "settings/SettingsStore.h"
#include "settings/SettingKeys.h"
#include "support/TestContext.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;
using namespace mojing::SettingKeys;

namespace {

struct DefaultCase {
    const char* name;
    QString section;
    QString key;
    QString expected;
};

TEST(SettingsStore, EveryKeyHasItsDefaultOnFirstRun) {
    TestContext t;
    const DefaultCase cases[] = {
        {"max file size", kSectionSettings, kMaxFileSize, u"10"_s},
        {"prompt folder on harvest", kSectionSettings, kPromptFolderOnHarvest, u"1"_s},
        {"save folder", kSectionSettings, kSaveFolder, QDir::homePath() + u"/12345/"_s},
        {"method", kSectionSettings, kMethod, u"2"_s},
        {"proxy host", kSectionSettings, kProxyHost, QString()},
        {"proxy port", kSectionSettings, kProxyPort, QString()},
        {"proxy enabled", kSectionSettings, kProxyEnabled, u"0"_s},
        {"slots index", kSectionDownload, kSlots, u"2"_s},
        {"duplicate policy", kSectionDuplicate, kDuplicatePolicy, u"重命名"_s},
        {"search Check1", kSectionSearch, kCheck1, u"1"_s},
        {"search Check3", kSectionSearch, kCheck3, u"1"_s},
        {"search Text1", kSectionSearch, kText1, u"100"_s},
        {"resolution", kSectionDownloadWindow, kResolution, u"000"_s},
        {"top", kSectionDownloadWindow, kTop, u"100"_s},
        {"left", kSectionDownloadWindow, kLeft, u"100"_s},
        {"width", kSectionDownloadWindow, kWidth, u"15000"_s},
        {"height", kSectionDownloadWindow, kHeight, u"10000"_s},
        {"copy target", kSectionCopyMove, kCopyTarget, dataFolder()},
        {"copy option", kSectionCopyMove, kCopyOption, u"4"_s},
    };
    for (const DefaultCase& c : cases) {
        EXPECT_EQ(t.settings.read(c.section, c.key), c.expected) << c.name;
        EXPECT_EQ(t.settings.read(c.section, c.key, u"x"_s), u"x"_s) << c.name << ": explicit default";
    }
}

TEST(SettingsStore, SectionsAndKeysAreSeparateAndSurviveReopening) {
    TestContext t;
    t.settings.write(kSectionSearch, kCheck1, u"0"_s);
    t.settings.write(kSectionSearch, kText1, u"abc"_s);
    t.settings.write(kSectionSettings, kSaveFolder, u"/tmp/中文 folder/"_s);
    // The same key in another section is another value.
    t.settings.write(kSectionDownloadWindow, kCheck1, u"7"_s);
    t.settings.sync();

    SettingsStore reopened(t.settings.filePath());
    EXPECT_EQ(reopened.read(kSectionSearch, kCheck1), u"0"_s);
    EXPECT_EQ(reopened.read(kSectionSearch, kText1), u"abc"_s) << "non-numeric text comes back as text";
    EXPECT_EQ(reopened.read(kSectionSettings, kSaveFolder), u"/tmp/中文 folder/"_s);
    EXPECT_EQ(reopened.read(kSectionDownloadWindow, kCheck1, {}), u"7"_s);
    EXPECT_EQ(reopened.read(kSectionSearch, kCheck3), u"1"_s) << "an unwritten key keeps its default";
}

// Values Qt would decode as binary data are never this program's: they are read as the text they
// look like (a number reader then refuses them), instead of a decoder asking for gigabytes.
TEST(SettingsStore, BinaryValuesOfAForeignFileAreReadAsText) {
    struct Case {
        const char* name;
        QByteArray stored; // the value as it stands in the file
        QString read;      // what the value reads as begins with this
    };
    const Case cases[] = {
        {"a list of a billion byte arrays", R"(@Variant(\0\0\0\Z180300\0\x5))", u"@Variant("_s},
        {"blanks before it", R"(  @Variant(\0\0\0\n))", u"@Variant("_s},
        {"quoted", R"x("@DateTime(\0\0\0\x10)")x", u"@DateTime("_s},
        {"an escaped '@' stays one text", "@@Variant(x)", u"@Variant(x)"_s},
        {"inside a text", "/home/u/@Variant(1)/", u"/home/u/@Variant(1)/"_s},
        {"other values decoded as before", "@ByteArray(abc)", u"abc"_s},
    };
    for (const Case& c : cases) {
        TestContext t;
        QFile file(t.settings.filePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[a]\nb=" + c.stored + "\nc=7\n");
        file.close();
        SettingsStore reopened(t.settings.filePath());
        const QString read = reopened.read(u"a"_s, u"b"_s, u"default"_s);
        EXPECT_TRUE(read.startsWith(c.read)) << c.name << ": " << read.toStdString();
        EXPECT_EQ(reopened.read(u"a"_s, u"c"_s, {}), u"7"_s) << c.name << ": the rest of the file is read";
    }
}

TEST(SettingsStore, UnknownKeyWithoutDefaultIsEmpty) {
    TestContext t;
    EXPECT_EQ(t.settings.read(u"nowhere"_s, u"nothing"_s), QString());
}

} // namespace
