#include "SearchWindowState.h"

#include "platform/Prompts.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsStore.h"

using namespace Qt::StringLiterals;

namespace mojing {

namespace {
constexpr int kSplitterBottomMargin = 1200 / 15;
} // namespace

SearchOptions SearchOptions::load(const SettingsStore& settings) {
    using namespace SettingKeys;
    SearchOptions o;
    o.addToMaxPage = settings.read(kSectionSearch, kCheck1) == u"1"_s;
    o.openAccessOnly = settings.read(kSectionSearch, kCheck3) == u"1"_s;
    o.maxPageText = settings.read(kSectionSearch, kText1);
    return o;
}

void SearchOptions::save(SettingsStore& settings) const {
    using namespace SettingKeys;
    settings.write(kSectionSearch, kCheck1, addToMaxPage ? u"1"_s : u"0"_s);
    settings.write(kSectionSearch, kCheck3, openAccessOnly ? u"1"_s : u"0"_s);
    settings.write(kSectionSearch, kText1, maxPageText);
    settings.sync();
}

bool SearchWindowState::confirmClose(Prompts& prompts) const {
    if (!isWorking())
        return true;
    prompts.message(kBusyRefusal, MessageIcon::Error);
    return false;
}

int SearchWindowState::splitterPosition(int proposed, int clientHeight) {
    if (proposed > clientHeight - kSplitterBottomMargin)
        return clientHeight * 4 / 5;
    return proposed;
}

} // namespace mojing
