#include "BrowserConfig.h"

namespace mojing {

bool BrowserConfig::isMakerAddress(const QString& url) const {
    for (const QString& domain : makerDomains) {
        if (!domain.isEmpty() && url.contains(domain, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

} // namespace mojing
