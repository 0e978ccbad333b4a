#pragma once

#include <QColor>
#include <QString>

// Stateless helpers shared by every part of the program: the palette, the
// track-number and file-name rules, opening mail and web pages, the version.
class Utils
{
public:
    Utils() = delete;

    static QColor ColorBG();
    static QColor ColorSecondTitle();
    static QColor ColorSidebar();
    static QColor ColorBorder();
    static QColor ColorTab();
    static QColor ColorPreview();
    static QColor ColorPreviewLighter();

    // "3/12" -> "03", "12/14" -> "12", "" -> "00".
    static QString getTrackNumber(const QString &text);
    // The last component of an already decoded path; "" for a path ending in "/".
    static QString getFileNameFromPath(const QString &path);
    // The text as a row or a line of output may show it: control characters
    // (a line break in a tag or a file name) as their visible pictures
    // ("␊"), so that the text stays on one line and tells names apart.
    static QString printable(const QString &text);

    // Opens a new mail in the user's mail program. The first argument is unused.
    static bool sendEmailWithMail(const QString &mail, const QString &address,
                                  const QString &subject, const QString &body);
    static QString mailUrlText(const QString &address, const QString &subject, const QString &body);
    static bool jumpToURL(const QString &url);

    static QString getVersionNumber();
};
