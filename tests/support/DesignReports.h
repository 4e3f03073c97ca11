#pragma once

#include <QStringList>

namespace mojing {

// Reports on the "mojing.design" category (a binding claimed a control its window does not have)
// fail the running GUI test, unless the test holds an ExpectedDesignReports, which collects them.
void installDesignReportHandler();

class ExpectedDesignReports {
public:
    ExpectedDesignReports();
    ~ExpectedDesignReports();
    ExpectedDesignReports(const ExpectedDesignReports&) = delete;
    ExpectedDesignReports& operator=(const ExpectedDesignReports&) = delete;

    QStringList messages;

private:
    ExpectedDesignReports* m_previous;
};

} // namespace mojing
