#include "app/common/SystemLog.h"

#include <syslog.h>

Q_LOGGING_CATEGORY(lcSystemLog, "melvora.syslog")

void systemLog(const QString &line)
{
    const QByteArray text = line.toUtf8();
    syslog(LOG_NOTICE, "%s", text.constData());
    qCInfo(lcSystemLog).noquote() << line;
}
