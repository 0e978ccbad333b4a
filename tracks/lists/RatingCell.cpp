#include "tracks/lists/RatingCell.h"

#include "app/common/SystemLog.h"
#include "app/common/Utils.h"
#include "tracks/lists/TrackListModel.h"

#include <QAbstractItemModel>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <algorithm>

namespace {
constexpr int starSize = 14;
constexpr int starSpacing = 3;
constexpr int fiveStars = 5 * starSize + 4 * starSpacing;

// Stands in for missing artwork, so a broken resource never hides a rating.
QPixmap drawnStar(const QColor &colour)
{
    QPixmap pixmap(starSize, starSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    const QPointF c(starSize / 2.0, starSize / 2.0);
    for (int i = 0; i < 10; ++i) {
        const qreal r = (i % 2 == 0) ? starSize / 2.0 : starSize / 4.5;
        const qreal a = -M_PI / 2 + i * M_PI / 5;
        const QPointF pt(c.x() + r * qCos(a), c.y() + r * qSin(a));
        i == 0 ? path.moveTo(pt) : path.lineTo(pt);
    }
    path.closeSubpath();
    p.fillPath(path, colour);
    return pixmap;
}

QPixmap loadStar(const char *resource, const QColor &fallback)
{
    QPixmap pixmap(QString::fromLatin1(resource));
    return pixmap.isNull() ? drawnStar(fallback) : pixmap;
}

// The star's shape in another colour: new ratings look like the other previews.
QPixmap tinted(const QPixmap &star, const QColor &colour)
{
    QPixmap pixmap(star.size());
    pixmap.setDevicePixelRatio(star.devicePixelRatio());
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.drawPixmap(0, 0, star);
    p.setCompositionMode(QPainter::CompositionMode_SourceIn);
    p.fillRect(QRect(QPoint(0, 0), star.size()), colour);
    return pixmap;
}
} // namespace

void RatingCell::Stars::setRating(int rating)
{
    visible = 0;
    systemLog(QStringLiteral("rating:%1").arg(rating));
    if (rating >= 1 && rating <= 5)
        visible = rating;
}

RatingCell::RatingCell(QObject *parent) : SimpleTextCell(parent) {}

QPixmap RatingCell::normalImage() const
{
    if (m_normal.isNull())
        m_normal = loadStar(":/images/star.png", Utils::ColorSidebar());
    return m_normal;
}

QPixmap RatingCell::lighterImage() const
{
    if (m_lighter.isNull())
        m_lighter = loadStar(":/images/star_lighter.png", Utils::ColorBG());
    return m_lighter;
}

QRect RatingCell::starRect(const QRect &cell, int number)
{
    const int top = cell.top() + (cell.height() - 1 - starSize) / 2;
    return QRect(cell.left() + margin + (number - 1) * (starSize + starSpacing), top, starSize, starSize);
}

QRect RatingCell::previewStarRect(const QRect &cell, int number)
{
    return starRect(cell, number).translated(fiveStars + arrowWidth, 0);
}

int RatingCell::columnWidth()
{
    return 2 * fiveStars + arrowWidth + 2 * margin + 2;
}

std::optional<RatingCell::Stars> RatingCell::builtStars(const QModelIndex &index) const
{
    const auto it = m_built.constFind(index.row());
    if (it == m_built.cend())
        return std::nullopt;
    return *it;
}

void RatingCell::watchModel(QAbstractItemModel *model)
{
    for (auto &connection : m_connections)
        disconnect(connection);
    const auto forgetAll = [this] { m_built.clear(); };
    m_connections[0] = connect(model, &QAbstractItemModel::modelReset, this, forgetAll);
    m_connections[1] = connect(model, &QAbstractItemModel::rowsInserted, this, forgetAll);
    m_connections[2] = connect(model, &QAbstractItemModel::rowsRemoved, this, forgetAll);
    m_connections[3] = connect(model, &QAbstractItemModel::layoutChanged, this, forgetAll);
    m_connections[4] = connect(model, &QAbstractItemModel::dataChanged, this,
                               [this](const QModelIndex &topLeft, const QModelIndex &bottomRight) {
                                   for (int row = topLeft.row(); row <= bottomRight.row(); ++row)
                                       m_built.remove(row);
                               });
}

void RatingCell::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    // A track the last run could not change says so instead of its stars.
    if (index.data(TrackListModel::FailureRole).isValid()) {
        SimpleTextCell::paint(painter, option, index);
        return;
    }
    const bool selected = isSelected(option);
    paintBackground(painter, option.rect, selected);

    auto it = m_built.find(index.row());
    if (it == m_built.end()) {
        Stars stars;
        stars.setRating(index.data(TrackListModel::StarsRole).toInt());
        it = m_built.insert(index.row(), stars);
    }
    const QPixmap star = selected ? lighterImage() : normalImage();
    for (int number = 1; number <= 5; ++number)
        if (it->isStarVisible(number))
            painter->drawPixmap(starRect(option.rect, number), star);

    const QVariant preview = index.data(TrackListModel::PreviewRole);
    if (preview.isValid()) {
        const QRect first = starRect(option.rect, 1);
        paintArrow(painter, QRect(first.left() + fiveStars, option.rect.top(), arrowWidth, option.rect.height() - 1));
        QPixmap &next = m_preview[selected];
        if (next.isNull())
            next = tinted(star, colours(selected).preview);
        const int stars = std::clamp(preview.toInt() / 20, 0, 5);
        for (int number = 1; number <= stars; ++number)
            painter->drawPixmap(previewStarRect(option.rect, number), next);
    }
    paintSeparator(painter, option.rect);
}
