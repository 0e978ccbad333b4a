#pragma once

#include <QList>
#include <QString>
#include <QVariant>

// What the Date Added list shows before Set: each file's place in the
// hand-over, in the order HandOver::order gives for the chosen direction.
namespace HandOverPreview {

// "handed over 1st", "… 2nd", "… 11th", "… 23rd": a place counted from 1.
QString placeText(int place);

// For each listed file, in list order, the text of its place.
QList<QVariant> places(int count, bool firstToLast);

} // namespace HandOverPreview
