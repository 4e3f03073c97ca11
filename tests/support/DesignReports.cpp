#include "DesignReports.h"

#include <QtGlobal>
#include <cstring>
#include <gtest/gtest.h>

namespace mojing {

namespace {
ExpectedDesignReports* g_expected = nullptr;
QtMessageHandler g_previousHandler = nullptr;

void handle(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (context.category && std::strcmp(context.category, "mojing.design") == 0) {
        if (g_expected)
            g_expected->messages << message;
        else
            ADD_FAILURE() << "design report: " << message.toStdString();
        return;
    }
    if (g_previousHandler)
        g_previousHandler(type, context, message);
}
} // namespace

void installDesignReportHandler() {
    g_previousHandler = qInstallMessageHandler(handle);
}

ExpectedDesignReports::ExpectedDesignReports() : m_previous(g_expected) {
    g_expected = this;
}

ExpectedDesignReports::~ExpectedDesignReports() {
    g_expected = m_previous;
}

} // namespace mojing
