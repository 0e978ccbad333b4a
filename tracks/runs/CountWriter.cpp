#include "tracks/runs/CountWriter.h"

#include "app/common/FileNames.h"

#include <algorithm>

CountWriter::CountWriter(const CountPolicy &policy, ITunesApplication library)
    : m_policy(policy), m_library(std::move(library)), m_window(callsOnTheWay)
{
}

CountWriter::~CountWriter()
{
    finish();
}

void CountWriter::write(const QUrl &location, qint32 value, Done done)
{
    // The library takes local files only; anything else would cost a call
    // to be refused. Asking whether it runs costs no call.
    if (!location.isValid() || !location.isLocalFile() || FileNames::pathOf(location).isEmpty() || !m_library.isRunning()) {
        m_window.skip(std::move(done));
        return;
    }
    m_window.addSetRefreshReveal(m_library, location, QString::fromLatin1(m_policy.property),
                                 std::clamp(value, m_policy.minimum, m_policy.maximum), std::move(done));
}

void CountWriter::finish()
{
    m_window.waitForAll();
}
