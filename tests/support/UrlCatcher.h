#pragma once

#include <QDesktopServices>
#include <QObject>
#include <QUrl>

// Receives, while it exists, every URL the program asks the desktop to open
// (mail, web), so that tests see them and nothing really opens.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    UrlCatcher()
    {
        for (const char *scheme : schemes)
            QDesktopServices::setUrlHandler(QLatin1String(scheme), this, "open");
    }
    ~UrlCatcher() override
    {
        for (const char *scheme : schemes)
            QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
    }

    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened.append(url); }

private:
    static constexpr const char *schemes[] = {"mailto", "https", "http"};
};
