#pragma once

#include <QObject>
#include <QSet>
#include <QUrl>

#include <functional>
#include <optional>

class TrackListModel;

// What the Sort by Track Number list shows before Set: the date each file
// will get, in the list's order and the chosen direction, by the rules the
// run follows. The run's base, the latest creation date of the listed files,
// needs every file's dates: it is found on a worker whenever other files are
// listed, and kept while the same files stay listed (a re-sort keeps them).
class TrackNumberPreview : public QObject
{
    Q_OBJECT
public:
    // firstGetsLatest tells the direction chosen at the moment it is asked.
    TrackNumberPreview(TrackListModel *model, std::function<bool()> firstGetsLatest, QObject *parent);

    // Shows the dates anew, after a change of direction.
    void refresh();
    // Finds the base again, after a run: files may have gone meanwhile.
    void reread();

private:
    void listChanged();
    void findBase(const QSet<QUrl> &files);

    TrackListModel *m_model;
    std::function<bool()> m_firstGetsLatest;
    QSet<QUrl> m_baseFiles;          // the files m_base was found for
    std::optional<qint64> m_base;
    QSet<QUrl> m_finding;            // the files a worker finds the base for now
};
