#include "SystemInfo.h"

#include <QSysInfo>

using namespace Qt::StringLiterals;

namespace mojing::SystemInfo {

QString bitnessOf(const QString& cpuArchitecture) {
    const QString arch = cpuArchitecture.toLower();
    return arch.contains(u"64"_s) ? u"64"_s : u"32"_s;
}

QString osBitness() {
    return bitnessOf(QSysInfo::currentCpuArchitecture());
}

QString osDescription(const QString& bitness) {
    return QSysInfo::prettyProductName() + u" 版本:"_s + QSysInfo::productVersion() + u" (内部版本:"_s +
           QSysInfo::kernelVersion() + u')' + u'[' + bitness + u']';
}

} // namespace mojing::SystemInfo
