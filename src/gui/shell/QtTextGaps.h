#pragma once

#include <QTranslator>

namespace mojing {

// The few texts of Qt's file dialogs that Qt's Chinese catalogue lacks ("Folder" in a file
// list's type column, for one). Installed before the catalogues, so it only fills their gaps.
class QtTextGaps : public QTranslator {
public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* sourceText, const char* disambiguation = nullptr,
                      int n = -1) const override;
    bool isEmpty() const override { return false; }
};

} // namespace mojing
