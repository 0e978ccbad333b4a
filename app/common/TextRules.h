#pragma once

#include <QString>

// Text rules every part shares, the command line included: nothing here
// needs more than Qt Core.
namespace TextRules {
// "3/12" -> "03", "12/14" -> "12", "" -> "00".
QString trackNumber(const QString &text);
// The text as a row or a line of output may show it: control characters
// (a line break in a tag or a file name) as their visible pictures ("␊"),
// so that the text stays on one line and tells names apart.
QString printable(const QString &text);
// The program's version, "1.0.0".
QString version();
} // namespace TextRules
