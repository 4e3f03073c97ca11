#include "shell/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

using namespace Qt::StringLiterals;

namespace mojing {

QtTranslations::QtTranslations() {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    // Searched last: translators installed later are asked first.
    QCoreApplication::installTranslator(&m_gaps);
    for (const QString& catalogue : {u"qtbase"_s, u"qtwebengine"_s}) {
        auto translator = std::make_unique<QTranslator>();
        if (translator->load(chinese, catalogue, u"_"_s, folder) &&
            QCoreApplication::installTranslator(translator.get()))
            m_translators.push_back(std::move(translator));
    }
}

QtTranslations::~QtTranslations() {
    for (const auto& translator : m_translators)
        QCoreApplication::removeTranslator(translator.get());
    QCoreApplication::removeTranslator(&m_gaps);
}

} // namespace mojing
