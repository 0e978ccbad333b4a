#pragma once

#include <QString>

class QWidget;

// Tells the user, in a message over the window, that no mail program or web
// browser took what the program asked to open, with the address (and the
// prepared subject) as text that can be selected and copied.
void tellCannotOpen(QWidget *window, const QString &what);

// Opens a prepared mail to the address, or tells the user it could not.
void mailOrTell(QWidget *window, const QString &address, const QString &subject);
// Opens the web page, or tells the user it could not.
void browseOrTell(QWidget *window, const QString &url);
