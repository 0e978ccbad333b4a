#pragma once

#include <QString>

#include <QtGlobal>

// Where the maker's services live. Kept in one place so that a release can
// point them elsewhere.
namespace Endpoints {
// The update service. The reserved example domain never resolves: a release
// must set the real address here. MELVORA_SERVICE_URL overrides it (tests,
// a staging service).
inline QString serviceBaseUrl()
{
    const QString overridden = qEnvironmentVariable("MELVORA_SERVICE_URL");
    return overridden.isEmpty() ? QStringLiteral("https://melvora.example/") : overridden;
}
inline QString productPage() { return QStringLiteral("https://melvora.example/melvora/"); }
inline QString supportAddress() { return QStringLiteral("support@melvora.example"); }
} // namespace Endpoints
