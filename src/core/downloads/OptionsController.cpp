#include "OptionsController.h"

#include "DownloadSession.h"
#include "DownloadSettings.h"
#include "articles/ArticleInputParser.h"
#include "articles/NamingTemplate.h"
#include "platform/Prompts.h"
#include "program/ProgramState.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsStore.h"

using namespace Qt::StringLiterals;

namespace mojing {

using namespace SettingKeys;

OptionsController::OptionsController(const AppContext& context, DownloadSession* loadedDownloads)
    : m_context(context), m_downloads(loadedDownloads) {}

QString OptionsController::caption() {
    return u"设置-"_s + kApplicationTitle;
}

bool OptionsController::isValidPort(const QString& port) {
    bool ok = false;
    const uint value = port.trimmed().toUInt(&ok);
    return ok && value >= 1 && value <= 65535;
}

QString OptionsController::resolverInUseText(const QString& address) {
    return u"本次运行的DOI解析地址：%1（上面的地址在平常启动时使用）"_s.arg(address);
}

QString OptionsController::namingPreview(const QString& templateText, const AnsiCodec& codec) {
    QString error;
    const std::optional<NamingTemplate> naming = NamingTemplate::parse(templateText, &error);
    if (!naming)
        return kBadNaming + error;
    ArticleMetadata sample;
    sample.title = u"Deep learning for protein structure prediction"_s;
    sample.authors = QStringList{u"John Smith"_s, u"Lee, Ann"_s};
    sample.year = u"2019"_s;
    sample.journal = u"Nature Methods"_s;
    sample.doi = u"10.1038/s41592-019-0001"_s;
    return u"示例："_s + naming->fileName(sample, sample.title, codec) + u".pdf"_s;
}

OptionsValues OptionsController::open() const {
    OptionsValues v;
    DownloadOptions options;
    if (m_downloads)
        options = m_downloads->options();
    else
        DownloadSettings::load(m_context.settings, options, m_context.state.maxFileSizeMB);
    v.method = options.usesMethod1() ? 1 : 2;
    v.proxyEnabled = options.proxyEnabled;
    v.proxyHost = options.proxyHost;
    v.proxyPort = options.proxyPort;
    v.promptFolderOnHarvest = m_context.state.promptSaveFolderOnHarvest == 1;
    v.maxSizeText = QString::number(options.maxFileSizeMB);
    v.keepList = m_context.settings.read(kSectionDownload, kKeepList) != u"0"_s;
    v.doiResolver = m_context.settings.read(kSectionSettings, kDoiResolver);
    // What is stored, even when it is not a template: the user sees it and can mend it.
    const QString storedNaming = m_context.settings.read(kSectionDownload, kNamingTemplate);
    v.namingTemplate = m_downloads
                           ? options.namingTemplate
                           : (storedNaming.trimmed().isEmpty() ? NamingTemplate::kDefault : storedNaming);
    return v;
}

void OptionsController::confirm(const OptionsValues& values) {
    SettingsStore& store = m_context.settings;
    const int method = values.method == 1 ? 1 : 2;
    const QString host = values.proxyHost.trimmed();
    const QString port = values.proxyPort.trimmed();
    store.write(kSectionSettings, kMethod, QString::number(method));
    store.write(kSectionSettings, kProxyEnabled, values.proxyEnabled ? u"1"_s : u"0"_s);
    store.write(kSectionSettings, kProxyHost, host);
    store.write(kSectionSettings, kProxyPort, port);
    if (values.proxyEnabled && (host.isEmpty() || !isValidPort(port)))
        m_context.prompts.message(kBadProxy, MessageIcon::Error);

    m_context.state.promptSaveFolderOnHarvest = values.promptFolderOnHarvest ? 1 : 0;
    store.write(kSectionSettings, kPromptFolderOnHarvest, values.promptFolderOnHarvest ? u"1"_s : u"0"_s);
    store.write(kSectionDownload, kKeepList, values.keepList ? u"1"_s : u"0"_s);

    if (ArticleInputParser::isResolverBase(values.doiResolver))
        store.write(kSectionSettings, kDoiResolver, values.doiResolver.trimmed());
    else
        m_context.prompts.message(kBadResolver, MessageIcon::Error);

    const std::optional<double> size = DownloadSettings::parseMegabytes(values.maxSizeText);
    if (size) {
        m_context.state.maxFileSizeMB = *size;
        store.write(kSectionSettings, kMaxFileSize, QString::number(*size, 'g', 15));
    } else {
        m_context.prompts.message(kBadMaxSize, MessageIcon::Error);
    }

    QString namingError;
    const std::optional<NamingTemplate> naming = NamingTemplate::parse(values.namingTemplate, &namingError);
    if (naming)
        store.write(kSectionDownload, kNamingTemplate, naming->text());
    else
        m_context.prompts.message(kBadNaming + namingError + kKeptNaming, MessageIcon::Error);

    if (m_downloads) {
        DownloadOptions& options = m_downloads->options();
        if (naming)
            options.namingTemplate = naming->text();
        // As "切换" does, a change of method starts from one slot; confirming the method the
        // window already uses leaves the slot count the user chose there.
        if (options.usesMethod1() != (method == 1))
            options.slotCount = 1;
        options.method = method;
        options.proxyEnabled = values.proxyEnabled;
        options.proxyHost = host;
        options.proxyPort = port;
        if (size)
            options.maxFileSizeMB = *size;
        m_downloads->notifyOptionsChanged();
    }
}

} // namespace mojing
