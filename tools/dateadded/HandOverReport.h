#pragma once

#include "tracks/runs/HandOver.h"

#include <QList>
#include <QUrl>

class QMessageBox;
class QWidget;

// The window-modal message that names the files of a Date Added run that did
// not get a new, later date added in the chosen order, and why; a screenful
// at most, then how many more. Null when every file got its place. Made,
// not shown.
QMessageBox *handOverReport(const QList<QUrl> &handed, const QList<HandOver::Miss> &misses, QWidget *window);
