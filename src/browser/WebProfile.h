#pragma once

#include <QString>

class QObject;
class QWebEngineProfile;

namespace mojing {

// The one browser profile of the process: named, so cookies persist between runs (a login made
// in one browser of the program is known to the other) and pages are cached on disk, where the
// cache tool finds them. Every page of the profile must be deleted before the profile itself.
namespace WebProfile {

inline const QString kName = QStringLiteral("mojing");

QWebEngineProfile* create(QObject* parent = nullptr, const QString& name = kName);

} // namespace WebProfile
} // namespace mojing
