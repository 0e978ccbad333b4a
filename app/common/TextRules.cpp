#include "app/common/TextRules.h"

#include <algorithm>
#include <climits>

namespace {
// Integer value of a text the way a number field reads it: leading white space
// skipped, an optional sign, then the leading digits; 0 when there are none.
int leadingInteger(const QString &text)
{
    int i = 0;
    const int n = int(text.size());
    while (i < n && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < n && (text.at(i) == u'+' || text.at(i) == u'-')) {
        negative = text.at(i) == u'-';
        ++i;
    }
    long long value = 0;
    while (i < n && text.at(i) >= u'0' && text.at(i) <= u'9') {
        value = value * 10 + (text.at(i).unicode() - u'0');
        if (value > INT_MAX)
            return negative ? INT_MIN : INT_MAX;
        ++i;
    }
    return int(negative ? -value : value);
}
} // namespace

namespace TextRules {

QString printable(const QString &text)
{
    const auto plain = [](QChar c) { return c.unicode() >= 0xA0 || (c.unicode() >= 0x20 && c.unicode() < 0x7F); };
    if (std::all_of(text.cbegin(), text.cend(), plain))
        return text;
    QString shown = text;
    for (QChar &c : shown) {
        const char16_t code = c.unicode();
        if (code < 0x20)
            c = QChar(char16_t(0x2400 + code));
        else if (code == 0x7F)
            c = QChar(char16_t(0x2421));
        else if (code >= 0x80 && code < 0xA0)
            c = QChar(char16_t(0xFFFD));
    }
    return shown;
}

QString trackNumber(const QString &text)
{
    // Control characters stored with a number are noise around it.
    QString first = text.section(u'/', 0, 0);
    for (QChar &c : first)
        if (c.category() == QChar::Other_Control)
            c = u' ';
    const int value = leadingInteger(first);
    if (value <= 9)
        return QStringLiteral("0") + QString::number(value);
    return first;
}

QString version()
{
    return QStringLiteral(MELVORA_VERSION);
}

} // namespace TextRules
