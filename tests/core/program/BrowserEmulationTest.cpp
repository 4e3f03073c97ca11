#include "program/BrowserEmulation.h"

#include <QMap>
#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

using View = EmulationRegistry::View;

// An in-memory registry that records what was written.
class MemoryRegistry : public EmulationRegistry {
public:
    QMap<View, bool> writable{{View::Default32, true}, {View::Native64, true}};
    QMap<View, QMap<QString, quint32>> values;
    QStringList writes;

    bool keyWritable(View view) override { return writable.value(view); }
    std::optional<quint32> value(View view, const QString& name) override {
        if (!values[view].contains(name))
            return std::nullopt;
        return values[view].value(name);
    }
    void setValue(View view, const QString& name, quint32 value) override {
        values[view][name] = value;
        writes << tag(view) + u"=" + QString::number(value);
    }
    void deleteValue(View view, const QString& name) override {
        values[view].remove(name);
        writes << tag(view) + u" deleted"_s;
    }
    static QString tag(View view) { return view == View::Default32 ? u"32"_s : u"64"_s; }
};

TEST(BrowserEmulation, DesiredValueTable) {
    struct Case {
        QString mode;
        bool force;
        std::optional<quint32> expected;
    };
    const Case cases[] = {
        {u"IE10"_s, true, 10001}, {u"IE10"_s, false, 10000}, {u"ie9"_s, true, 9999}, {u"IE9"_s, false, 9000},
        {u"Ie8"_s, true, 8888},   {u"IE8"_s, false, 8000},   {u"IE7"_s, true, 7000}, {u"IE7"_s, false, 7000},
        {u"IE11"_s, true, {}},    {u""_s, false, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BrowserEmulation::desiredValue(c.mode, c.force), c.expected)
            << c.mode.toStdString() << c.force;
}

TEST(BrowserEmulation, WhatIsWritten) {
    struct Case {
        const char* name;
        QString mode;
        QString bitness;
        std::optional<quint32> present32, present64;
        bool keyExists;
        QStringList expectedWrites;
    };
    const Case cases[] = {
        {"64-bit writes both views", u"IE10"_s, u"64"_s, {}, {}, true, {u"32=10001"_s, u"64=10001"_s}},
        {"32-bit writes the default view only", u"IE10"_s, u"32"_s, {}, {}, true, {u"32=10001"_s}},
        {"10000 is replaced by 10001", u"IE10"_s, u"32"_s, 10000, {}, true, {u"32=10001"_s}},
        {"an equal value is left alone", u"IE10"_s, u"64"_s, 10001, 10000, true, {u"64=10001"_s}},
        {"other mode deletes in both views",
         u"edge"_s,
         u"64"_s,
         10001,
         10001,
         true,
         {u"32 deleted"_s, u"64 deleted"_s}},
        {"missing key: nothing written", u"IE10"_s, u"64"_s, {}, {}, false, {}},
    };
    for (const Case& c : cases) {
        MemoryRegistry registry;
        registry.writable[View::Default32] = registry.writable[View::Native64] = c.keyExists;
        if (c.present32)
            registry.values[View::Default32][u"mojing.exe"_s] = *c.present32;
        if (c.present64)
            registry.values[View::Native64][u"mojing.exe"_s] = *c.present64;
        BrowserEmulation::apply(registry, c.mode, true, c.bitness, u"mojing.exe"_s);
        EXPECT_EQ(registry.writes, c.expectedWrites) << c.name;
    }
}

TEST(BrowserEmulation, ThisPlatformWritesNothing) {
    NullEmulationRegistry registry;
    BrowserEmulation::apply(registry, u"IE10"_s, true, u"64"_s, u"mojing.exe"_s);
    EXPECT_FALSE(registry.value(View::Default32, u"mojing.exe"_s).has_value());
    EXPECT_EQ(BrowserEmulation::valueNameFor(u"/usr/local/bin/mojing"_s), u"mojing.exe"_s);
}

} // namespace
