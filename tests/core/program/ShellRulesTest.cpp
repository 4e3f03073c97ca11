#include "platform/DialogFilter.h"
#include "platform/SystemInfo.h"
#include "program/BrowserConfig.h"
#include "program/BrowserEmulation.h"
#include "program/ProgramStartup.h"
#include "search/AddressPrompt.h"
#include "search/SearchWindowState.h"
#include "settings/SettingKeys.h"
#include "support/TestContext.h"

#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

TEST(AddressRequest, FromAnswer) {
    struct Case {
        const char* name;
        std::optional<QString> answer;
        bool silent;
        QString address;
    };
    const Case cases[] = {
        {"https in capitals with blanks", u"  HTTPS://a.example/x  "_s, false, u"HTTPS://a.example/x"_s},
        {"http stays silent", u"http://a.example/"_s, true, u"http://a.example/"_s},
        {"no scheme", u"a.example"_s, true, u"a.example"_s},
        {"https prefix only", u"https://"_s, false, u"https://"_s},
        {"almost https", u"https:/a"_s, true, u"https:/a"_s},
        {"blank answer", u"   "_s, true, QString()},
        {"cancelled", std::nullopt, true, QString()},
    };
    for (const Case& c : cases) {
        const AddressRequest r = AddressRequest::fromAnswer(c.answer);
        EXPECT_EQ(r.silent, c.silent) << c.name;
        EXPECT_EQ(r.address, c.address) << c.name;
    }
}

TEST(AddressRequest, AskShowsTheInputBox) {
    TestContext t;
    t.prompts.inputAnswers.push_back(u" https://x/ "_s);
    const AddressRequest r = AddressRequest::ask(t.prompts);
    EXPECT_EQ(r.address, u"https://x/"_s);
    ASSERT_EQ(t.prompts.shown.size(), 1u);
    EXPECT_EQ(t.prompts.shown[0].text, u"请输入需要打开的网址："_s);
    EXPECT_EQ(t.prompts.shown[0].title, u"请输入..."_s);
}

TEST(SearchWindowState, SplitterRule) {
    struct Case {
        const char* name;
        int proposed;
        int height;
        int expected;
    };
    const Case cases[] = {
        {"well above the margin", 300, 600, 300},
        {"exactly 80 px above the bottom", 520, 600, 520},
        {"one pixel too low", 521, 600, 480},
        {"at the bottom", 600, 600, 480},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SearchWindowState::splitterPosition(c.proposed, c.height), c.expected) << c.name;
}

TEST(SearchWindowState, OptionsRoundTripAsZeroAndOne) {
    TestContext t;
    EXPECT_EQ(SearchOptions::load(t.settings), SearchOptions{});
    SearchOptions o{false, true, u"abc"_s};
    o.save(t.settings);
    EXPECT_EQ(t.settings.read(SettingKeys::kSectionSearch, SettingKeys::kCheck1), u"0"_s);
    EXPECT_EQ(t.settings.read(SettingKeys::kSectionSearch, SettingKeys::kCheck3), u"1"_s);
    EXPECT_EQ(SearchOptions::load(t.settings), o);
}

TEST(BrowserConfig, MakerAddressesIgnoreCase) {
    const BrowserConfig config;
    EXPECT_TRUE(config.isMakerAddress(u"https://MOJING.example.com/x"_s));
    EXPECT_TRUE(config.isMakerAddress(config.productPage));
    EXPECT_FALSE(config.isMakerAddress(config.homePage));
    EXPECT_FALSE(config.isMakerAddress(QString()));
}

TEST(DialogFilter, ToQt) {
    struct Case {
        QString in;
        QString out;
    };
    const Case cases[] = {
        {u"*.txt|*.txt"_s, u"*.txt (*.txt)"_s},
        {u"文本文件|*.txt"_s, u"文本文件 (*.txt)"_s},
        {u"文本文件|*.txt|所有文件|*.*"_s, u"文本文件 (*.txt);;所有文件 (*.*)"_s},
        {u"网页|*.htm;*.html"_s, u"网页 (*.htm *.html)"_s},
        {u"*.csv"_s, u"*.csv (*.csv)"_s},
        {QString(), QString()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DialogFilter::toQt(c.in), c.out) << c.in.toStdString();
}

TEST(ProgramStartup, EstablishesTheProgramValues) {
    TestContext t;
    t.settings.write(SettingKeys::kSectionSettings, SettingKeys::kMaxFileSize, u"25.5"_s);
    NullEmulationRegistry registry;
    t.state.osBitness.clear();
    ProgramStartup::establish(t.state, t.settings, registry, u"/x/mojing"_s);
    EXPECT_TRUE(t.state.osBitness == u"64"_s || t.state.osBitness == u"32"_s);
    EXPECT_TRUE(t.state.osDescription.endsWith(u'[' + t.state.osBitness + u']'))
        << t.state.osDescription.toStdString();
    EXPECT_EQ(t.state.maxFileSizeMB, 25.5);
}

TEST(ProgramStartup, MaxFileSizeTable) {
    struct Case {
        QString text;
        double expected;
    };
    for (const Case& c :
         {Case{u"10"_s, 10}, Case{u" 3 "_s, 3}, Case{u"abc"_s, 7}, Case{u""_s, 7}, Case{u"0"_s, 0}})
        EXPECT_EQ(ProgramStartup::maxFileSizeMB(c.text, 7), c.expected) << c.text.toStdString();
}

TEST(SystemInfo, BitnessOfArchitecture) {
    for (const char* arch : {"x86_64", "arm64", "mips64", "ia64"})
        EXPECT_EQ(SystemInfo::bitnessOf(QString::fromLatin1(arch)), u"64"_s) << arch;
    for (const char* arch : {"i386", "arm", ""})
        EXPECT_EQ(SystemInfo::bitnessOf(QString::fromLatin1(arch)), u"32"_s) << arch;
}

} // namespace
