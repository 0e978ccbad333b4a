#include "app/common/Utils.h"

#include <QDesktopServices>
#include <QUrl>

#include <climits>

namespace {
QColor level(int r, int g, int b)
{
    return QColor::fromRgbF(float(r / 256.0), float(g / 256.0), float(b / 256.0), 1.0f);
}

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

QColor Utils::ColorBG() { return level(255, 250, 240); }
QColor Utils::ColorSecondTitle() { return level(176, 167, 167); }
QColor Utils::ColorSidebar() { return level(76, 67, 67); }
QColor Utils::ColorBorder() { return level(221, 217, 208); }
QColor Utils::ColorTab() { return level(243, 239, 230); }
QColor Utils::ColorPreview() { return level(122, 129, 65); }
QColor Utils::ColorPreviewLighter() { return level(190, 194, 155); }

QString Utils::printable(const QString &text)
{
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

QString Utils::getTrackNumber(const QString &text)
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

QString Utils::getFileNameFromPath(const QString &path)
{
    return path.section(u'/', -1);
}

QString Utils::mailUrlText(const QString &address, const QString &subject, const QString &body)
{
    QString text = QStringLiteral("mailto:%1?Subject=%2&body=%3").arg(address, subject, body);
    text.replace(u' ', QStringLiteral("%20"));
    return text;
}

bool Utils::sendEmailWithMail(const QString &, const QString &address, const QString &subject,
                              const QString &body)
{
    return jumpToURL(mailUrlText(address, subject, body));
}

bool Utils::jumpToURL(const QString &url)
{
    const QUrl target(url, QUrl::StrictMode);
    return target.isValid() && !target.isEmpty() && QDesktopServices::openUrl(target);
}

QString Utils::getVersionNumber()
{
    return QStringLiteral(MELVORA_VERSION);
}
