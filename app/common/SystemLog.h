#pragma once

#include <QLoggingCategory>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(lcSystemLog)

// Writes one diagnostic line to the system log. The same line goes out through
// the "melvora.syslog" logging category, where tests can observe it.
void systemLog(const QString &line);
