#pragma once

#include <QString>

// Where the maker's services live. Kept in one place so that a release can
// point them elsewhere.
namespace Endpoints {
inline QString serviceBaseUrl() { return QStringLiteral("https://melvora.example/"); }
inline QString productPage() { return QStringLiteral("https://melvora.example/melvora/"); }
inline QString supportAddress() { return QStringLiteral("support@melvora.example"); }
} // namespace Endpoints
