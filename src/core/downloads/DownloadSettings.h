#pragma once

#include <QString>
#include <optional>

namespace mojing {

class SettingsStore;
struct DownloadOptions;

// The stored download settings and the option controls of the download window that depend on
// them: what a window load reads, what a close writes, and the method switch.
class DownloadSettings {
public:
    static constexpr int kMaxSlots = 6;
    static constexpr int kMaxPauseSeconds = 600;

    // "下载方式：N"
    static QString methodLabel(int method);

    // A size or count typed by the user or read from the store: plain decimal, not negative.
    static std::optional<double> parseMegabytes(const QString& text);

    // Window load: method, slot count (from the stored list position under method 2, one slot
    // under method 1), duplicate-name policy, naming template, proxy and maximum size; every
    // window-only option starts afresh (no pause, automatic options off). `fallbackMaxSizeMB` is
    // kept when the stored size is not a number.
    static void load(const SettingsStore& store, DownloadOptions& options, double fallbackMaxSizeMB);

    // The stored naming template; `{title}` when nothing is stored or the stored text is not a
    // template, which `error` then explains.
    static QString namingTemplate(const SettingsStore& store, QString* error = nullptr);

    // Window close, before the confirmation: the policy and the method.
    static void storePolicyAndMethod(SettingsStore& store, const DownloadOptions& options);
    // Window close, once confirmed: the list position of the slot count.
    static void storeSlots(SettingsStore& store, const DownloadOptions& options);

    // "切换": method 2 (or anything but 1) becomes 1 and the other way round; the slot list then
    // shows one slot.
    static void switchMethod(DownloadOptions& options);
};

} // namespace mojing
