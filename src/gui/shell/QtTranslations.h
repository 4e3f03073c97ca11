#pragma once

#include "shell/QtTextGaps.h"

#include <QTranslator>
#include <memory>
#include <vector>

namespace mojing {

// Qt's own texts in Chinese: standard dialog buttons (确定, 取消, 是, 否), file dialogs and the
// browser's context menu. The interface is Chinese whatever the system locale, so the Chinese
// catalogues are loaded always. Installed for as long as the object lives.
class QtTranslations {
public:
    QtTranslations();
    ~QtTranslations();
    QtTranslations(const QtTranslations&) = delete;
    QtTranslations& operator=(const QtTranslations&) = delete;

    // How many catalogues were found and installed (0 when Qt's translations are not installed;
    // then Qt's texts stay English).
    int installedCount() const { return int(m_translators.size()); }

private:
    QtTextGaps m_gaps;
    std::vector<std::unique_ptr<QTranslator>> m_translators;
};

} // namespace mojing
