#include "tools/modification/TrackNumberPreview.h"

#include "app/common/WhenReady.h"
#include "tracks/runs/ModificationDates.h"
#include "tracks/files/FileDates.h"
#include "tracks/lists/TrackListModel.h"

#include <QtConcurrent/QtConcurrentRun>

TrackNumberPreview::TrackNumberPreview(TrackListModel *model, std::function<bool()> firstGetsLatest, QObject *parent)
    : QObject(parent), m_model(model), m_firstGetsLatest(std::move(firstGetsLatest))
{
    connect(m_model, &TrackListModel::previewsNeeded, this, &TrackNumberPreview::listChanged);
}

void TrackNumberPreview::listChanged()
{
    const QList<QUrl> files = m_model->files();
    const QSet<QUrl> listed(files.cbegin(), files.cend());
    if (m_base && listed == m_baseFiles)
        refresh();
    else if (!listed.isEmpty() && listed != m_finding)
        findBase(listed);
}

void TrackNumberPreview::reread()
{
    m_base.reset();
    m_baseFiles.clear();
    m_finding.clear();
    listChanged();
}

void TrackNumberPreview::findBase(const QSet<QUrl> &files)
{
    m_finding = files;
    const auto found = QtConcurrent::run([files] {
        QList<std::optional<FileTime>> births;
        births.reserve(files.size());
        for (const QUrl &file : files)
            births.append(FileDates::creationDate(file));
        return ModificationDates::baseSeconds(ModificationDates::latest(births));
    });
    whenReady(found, this, [this, files](qint64 base) {
        m_baseFiles = files;
        m_base = base;
        if (m_finding == files)
            m_finding.clear();
        // The list may have changed meanwhile: a newer worker shows that one.
        const QList<QUrl> now = m_model->files();
        if (QSet<QUrl>(now.cbegin(), now.cend()) == files)
            refresh();
    });
}

void TrackNumberPreview::refresh()
{
    const QList<QUrl> files = m_model->files();
    const QSet<QUrl> listed(files.cbegin(), files.cend());
    if (!m_base || listed != m_baseFiles)
        return;
    const bool firstGetsLatest = m_firstGetsLatest();
    const qint64 count = files.size();
    QList<QVariant> dates;
    dates.reserve(files.size());
    for (qint64 i = 0; i < count; ++i)
        dates.append(FileTime{ModificationDates::trackNumberSeconds(*m_base, count, i, firstGetsLatest), 0}.toDateTime());
    m_model->setPreviews(dates);
}
