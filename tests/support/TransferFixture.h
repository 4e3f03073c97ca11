#pragma once

#include "downloads/DownloadSession.h"
#include "support/FaultServer.h"
#include "support/TestContext.h"
#include "transfer/NetworkLayer.h"

#include <QFile>
#include <QString>
#include <chrono>
#include <gtest/gtest.h>

namespace mojing {

// A download session over the real network layer against the fault-injecting server, with a
// 10 ms tick and a 10 MB size limit; the transfer method under test is a member of the subclass
// (built from `session` and `network`), which also sets its own stall limits.
class TransferFixture : public ::testing::Test {
public:
    void SetUp() override {
        using namespace std::chrono_literals;
        t.timing.tick = 10ms;
        folder = t.path(QStringLiteral("out")) + u'/';
        session.options().maxFileSizeMB = 10;
    }

    QByteArray contentOf(const QString& fileName) const {
        QFile f(folder + fileName);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    TestContext t;
    DownloadSession session{t.context()};
    NetworkLayer network;
    FaultServer server;
    QString folder;
};

} // namespace mojing
