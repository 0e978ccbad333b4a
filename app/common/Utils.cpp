#include "app/common/Utils.h"

#include "app/common/TextRules.h"

#include <QDesktopServices>
#include <QUrl>


namespace {
QColor level(int r, int g, int b)
{
    return QColor::fromRgbF(float(r / 256.0), float(g / 256.0), float(b / 256.0), 1.0f);
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
    return TextRules::printable(text);
}

QString Utils::getTrackNumber(const QString &text)
{
    return TextRules::trackNumber(text);
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
    return TextRules::version();
}
