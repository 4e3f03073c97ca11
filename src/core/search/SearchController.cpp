#include "SearchController.h"

#include "platform/OperationGate.h"

#include "ArticleListModel.h"
#include "Harvester.h"
#include "articles/ArticleMetadataReader.h"
#include "dom/Browser.h"
#include "dom/BrowserDocument.h"
#include "platform/EventPump.h"
#include "platform/Prompts.h"
#include "platform/Timing.h"
#include "program/AppContext.h"
#include "program/ProgramState.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsStore.h"

#include <climits>
#include <cmath>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {

int clampToInt(double value) {
    if (value >= double(INT_MAX))
        return INT_MAX;
    if (value <= double(INT_MIN))
        return INT_MIN;
    return int(value);
}

// Halves go to the even neighbour, as the page limit is rounded when compared with page numbers.
int roundHalfEven(double value) {
    return clampToInt(std::nearbyint(value));
}

int integerPart(double value) {
    return clampToInt(std::floor(value));
}

} // namespace

SearchController::SearchController(AppContext& context, Browser& browser, ArticleListModel& list,
                                   QObject* parent)
    : QObject(parent), m_context(context), m_browser(browser), m_list(list) {}

std::optional<double> SearchController::numericValue(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

int SearchController::startPageFromUrl(const QString& url) {
    static const QString marker = u"startPage="_s;
    const qsizetype at = url.indexOf(marker, 0, Qt::CaseInsensitive);
    if (at < 0)
        return 0;
    QString s = url.mid(at + marker.size());
    const qsizetype amp = s.indexOf(u'&');
    if (amp >= 0)
        s.truncate(amp);
    const std::optional<double> value = numericValue(s);
    return value ? integerPart(*value) : 0;
}

int SearchController::currentPageNumberOf(const BrowserDocument& document) {
    static const QString pageMarker = u"/page/"_s;
    static const QString queryMarker = u"?query="_s;
    for (const DomElement& link : document.getElementsByTagName(u"A"_s)) {
        if (Harvester::trimSpaces(link.title().toLower()) != u"next"_s || link.className() != u"next"_s)
            continue;
        const QString address = link.href();
        const qsizetype at = address.indexOf(pageMarker, 0, Qt::CaseInsensitive);
        if (at < 0)
            continue;
        QString s = address.mid(at + pageMarker.size());
        const qsizetype query = s.indexOf(queryMarker);
        if (query < 0)
            continue;
        s.truncate(query);
        if (const std::optional<double> value = numericValue(s))
            return integerPart(*value) - 1;
    }
    return 0;
}

int SearchController::currentPageNumber() {
    const auto document = m_browser.document();
    return document ? currentPageNumberOf(*document) : 0;
}

DomElement SearchController::nextPageLink(const BrowserDocument& document) {
    for (const DomElement& link : document.getElementsByTagName(u"A"_s)) {
        if (Harvester::trimSpaces(link.innerText().toLower()) == u"next"_s &&
            Harvester::trimSpaces(link.className().toLower()) == u"nextpage"_s)
            return link;
    }
    return {};
}

int SearchController::harvestCurrentPage(const QString& saveFolder) {
    const auto document = m_browser.document();
    if (!document)
        return 0;
    const int added = Harvester::harvest(*document, m_openAccessOnly, saveFolder, m_list);
    if (m_runPage > 0)
        showProgress();
    return added;
}

void SearchController::showProgress() {
    const int added = m_list.count() - m_runStartCount;
    if (m_runPage > 0) {
        m_progressText = kProgressPage.arg(m_runPage) + u"（"_s;
        if (m_pageLimitEnabled && numericValue(m_pageLimitText))
            m_progressText += u"最大页码数："_s + m_pageLimitText.trimmed() + u"，"_s;
        m_progressText += u"已加入%1条）"_s.arg(added);
    } else {
        m_progressText = kProgressDone.arg(added);
    }
    emit progressChanged(m_progressText);
}

QString SearchController::saveFolderForHarvest() const {
    return m_context.state.promptSaveFolderOnHarvest == 1 ? m_context.state.currentSaveFolder : QString();
}

void SearchController::ensureSaveFolder() {
    if (m_saveFolderPrompt) {
        m_saveFolderPrompt();
        return;
    }
    if (m_context.state.currentSaveFolder.isEmpty())
        m_context.state.currentSaveFolder =
            m_context.settings.read(SettingKeys::kSectionSettings, SettingKeys::kSaveFolder);
}

bool SearchController::nextPage() {
    const QString saveFolder = saveFolderForHarvest();
    // Every way out harvests the page shown at that moment.
    auto leave = [&](bool result) {
        harvestCurrentPage(saveFolder);
        return result;
    };
    harvestCurrentPage(saveFolder);

    const auto page = m_browser.document();
    if (!page)
        return leave(false);
    const int before = startPageFromUrl(page->URL());
    const DomElement next = nextPageLink(*page);
    if (!next)
        return leave(false);

    const Timing& timing = m_context.timing;
    EventPump& pump = m_context.pump;
    const qint64 started = timing.nowMs();
    m_browser.setNavigationPending(true);
    next.click();
    if (m_runPage > 0) {
        ++m_runPage;
        showProgress();
    }
    pump.pumpOnce();

    auto loaded = [this] { return !m_browser.busy() && !m_browser.navigationPending(); };
    // A snapshot that cannot be read mid-load keeps the previous values and the wait goes on.
    int now = 0;
    QString html;
    for (;;) {
        if (loaded())
            break;
        // Sleep until the browser reports progress (or a short while), instead of spinning.
        pump.waitUntil([&] { return loaded() || m_addAllStopped; }, timing.pagePoll);
        if (timing.nowMs() - started > timing.pageLoadLimit.count())
            break;
        if (m_addAllStopped)
            return leave(false);
        if (const auto current = m_browser.document()) {
            now = startPageFromUrl(current->URL());
            html = current->documentElement().outerHTML();
        }
        const std::optional<double> limit = numericValue(m_pageLimitText);
        if (limit && m_pageLimitEnabled && now >= roundHalfEven(*limit))
            return leave(false);
        if (html.contains(u"/images/pdf-icon-large.png"_s, Qt::CaseInsensitive) && before < now)
            break;
    }

    if (pump.sleepFor(timing.pagePause, [this] { return m_addAllStopped; }))
        return leave(false);

    const auto arrived = m_browser.document();
    if (!arrived)
        return leave(false);
    const bool moved = before < startPageFromUrl(arrived->URL());
    return leave(moved);
}

void SearchController::addCurrentPage() {
    const OperationGate::Scope busy(m_gate);
    m_addPageEnabled = false;
    emit controlsChanged();
    QString saveFolder;
    if (m_context.state.promptSaveFolderOnHarvest == 1) {
        ensureSaveFolder();
        saveFolder = m_context.state.currentSaveFolder;
    }
    if (const auto document = m_browser.document()) {
        if (Harvester::harvest(*document, m_openAccessOnly, saveFolder, m_list) == 0)
            addArticlePage(*document, saveFolder);
    }
    emit autoSizeColumnsRequested();
    m_addPageEnabled = true;
    emit controlsChanged();
}

bool SearchController::addArticlePage(const BrowserDocument& document, const QString& saveFolder) {
    const ArticlePage page = ArticleMetadataReader::read(document);
    if (!page.hasCitationTitle || page.pdfUrl.isEmpty())
        return false;
    m_list.addArticle(page.article.title, page.pdfUrl, document.URL(), u"pdf"_s, saveFolder,
                      kOriginArticlePage, page.article);
    m_list.refreshCount();
    return true;
}

void SearchController::addAllPages() {
    const OperationGate::Scope busy(m_gate);
    const std::optional<double> typed = numericValue(m_pageLimitText);
    if (!typed) {
        m_context.prompts.message(kLimitNotNumeric, MessageIcon::Error);
        return;
    }
    const int limit = integerPart(*typed);
    m_pageLimitEditable = false;
    emit controlsChanged();

    if (m_addAllCaption == kCaptionAddAll) {
        m_addAllCaption = kCaptionStop;
        m_addAllHighlighted = true;
        m_addAllStopped = false;
        emit controlsChanged();
        m_runPage = 1;
        m_runStartCount = m_list.count();
        showProgress();
        if (m_context.state.promptSaveFolderOnHarvest == 1)
            ensureSaveFolder();
        do {
            m_context.pump.pumpOnce();
            if (!nextPage())
                break;
            if (m_pageLimitEnabled && currentPageNumber() >= limit)
                break;
            m_context.pump.pumpOnce();
        } while (!m_addAllStopped);
        m_addAllHighlighted = false;
        m_addAllCaption = kCaptionAddAll;
        m_runPage = 0;
        showProgress();
    }

    // Reached by a finished run and by the stop click that arrives during a run.
    m_addAllStopped = true;
    m_pageLimitEditable = true;
    emit controlsChanged();
    emit autoSizeColumnsRequested();
}

} // namespace mojing
