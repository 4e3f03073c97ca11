#pragma once

#include <QString>

namespace mojing {

// One author's name as pages write it ("Family, Given", "Given Family", "王小明"), split into the
// parts that file names and reference exports need.
struct AuthorName {
    QString family;
    QString given;
    QString suffix; // "Jr.", "III", ...

    // "Family, Given" splits at the first comma. Names in Chinese, Japanese or Korean script put
    // the family name first: the first word, or without spaces the first character (two for the
    // common compound surnames such as 欧阳). Other names take the last word, passing over a
    // generational suffix ("Martin Luther King Jr." is King).
    static AuthorName parse(const QString& written);

    bool isEmpty() const { return family.isEmpty() && given.isEmpty(); }
    bool operator==(const AuthorName&) const = default;
};

} // namespace mojing
