#pragma once

#include <QString>

namespace mojing {

class AnsiCodec;
class Prompts;

// The help and page-source commands of the search window's menus.
class SearchMenuCommands {
public:
    static inline const QString kUsageTitle = QStringLiteral("软件使用方法");

    // The four usage steps, each followed by CR LF.
    static QString usageText();
    // "使用方法".
    static void showUsage(Prompts& prompts);

    // "网页源码另存为", first half: asks for the target file; empty when cancelled.
    static QString askPageSourceFile(Prompts& prompts);
    // Second half: writes `html` as plain text in the ANSI code page and reports "OK!". A file that
    // cannot be written is reported as an error instead of success.
    static bool writePageSource(const QString& file, const QString& html, const AnsiCodec& codec,
                                Prompts& prompts);
};

} // namespace mojing
