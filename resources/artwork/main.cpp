// Draws the program's artwork into PNG files: button faces, stars, the tab
// icons and the application icon. The PNGs are committed; run this only to
// redraw them after changing a shape or a colour:
//     melvora-artwork resources/images
//     melvora-artwork --icons packaging/icons
// Every image is drawn at 1x and at 2x ("name@2x.png") from the same shapes,
// in the colours of the program's palette.

#include <QColor>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <cstdio>
#include <functional>

namespace {

QColor level(int r, int g, int b, int a = 255) { return QColor(r, g, b, a); }

// The palette, as 8-bit levels.
const QColor bg = level(255, 250, 240);
const QColor sidebar = level(76, 67, 67);
const QColor tab = level(243, 239, 230);
const QColor preview = level(122, 129, 65);
const QColor previewLighter = level(190, 194, 155);

using Drawing = std::function<void(QPainter &)>;

bool save(const QString &folder, const QString &name, QSize points, const Drawing &draw,
          bool withRetina = true)
{
    for (int scale : {1, 2}) {
        if (scale == 2 && !withRetina)
            break;
        QImage image(points * scale, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale, scale);
        draw(p);
        p.end();
        const QString file = QDir(folder).filePath(name + (scale == 2 ? "@2x.png" : ".png"));
        if (!image.save(file)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return false;
        }
    }
    return true;
}

// A flat button face of 24 x 24 points: a rounded face over a lip of darker
// colour at its foot. The corners (radius 4) and the lip stay inside the cap
// insets (top 4, left 4, bottom 7, right 7); between them every row and
// column is uniform, so the face stretches without seams.
Drawing buttonFace(QColor face, QColor edge, QColor lip, bool pressed)
{
    return [=](QPainter &p) {
        const qreal lipHeight = pressed ? 1.0 : 2.0;
        const qreal top = pressed ? 1.0 : 0.0;
        QPainterPath base;
        base.addRoundedRect(QRectF(0, top + lipHeight, 24, 22 - top), 4, 4);
        p.fillPath(base, lip);
        QPainterPath body;
        body.addRoundedRect(QRectF(0.5, top + 0.5, 23, 22 - top - lipHeight + 1), 3.5, 3.5);
        p.fillPath(body, face);
        p.setPen(QPen(edge, 1));
        p.drawPath(body);
    };
}

QPainterPath starPath(QPointF centre, qreal outer, qreal inner)
{
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        const qreal r = i % 2 == 0 ? outer : inner;
        const qreal a = qDegreesToRadians(-90.0 + i * 36.0);
        const QPointF point(centre.x() + r * qCos(a), centre.y() + r * qSin(a));
        if (i == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    path.closeSubpath();
    return path;
}

Drawing star(QColor colour)
{
    return [=](QPainter &p) { p.fillPath(starPath(QPointF(7, 7.4), 6.6, 2.8), colour); };
}

// Tab icons: light line drawings on the dark sidebar, 32 x 32 points.
const QColor iconInk = level(255, 250, 240, 235);

QPen iconPen(qreal width = 2.0)
{
    return QPen(iconInk, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void clockFace(QPainter &p, QPointF centre, qreal radius)
{
    p.setPen(iconPen(1.8));
    p.setBrush(sidebar);
    p.drawEllipse(centre, radius, radius);
    p.drawLine(centre, centre + QPointF(0, -radius * 0.6));
    p.drawLine(centre, centre + QPointF(radius * 0.45, radius * 0.1));
}

void tabModified(QPainter &p)
{
    // A page with a folded corner and a clock over its foot.
    QPainterPath page;
    page.moveTo(7, 4);
    page.lineTo(18, 4);
    page.lineTo(24, 10);
    page.lineTo(24, 27);
    page.lineTo(7, 27);
    page.closeSubpath();
    p.setPen(iconPen());
    p.setBrush(Qt::NoBrush);
    p.drawPath(page);
    p.drawPolyline(QPolygonF({QPointF(18, 4), QPointF(18, 10), QPointF(24, 10)}));
    p.drawLine(QPointF(11, 13), QPointF(17, 13));
    p.drawLine(QPointF(11, 17), QPointF(15, 17));
    clockFace(p, QPointF(23, 23), 6.5);
}

void tabAdded(QPainter &p)
{
    // A calendar sheet with a plus.
    p.setPen(iconPen());
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(5, 7, 22, 20), 3, 3);
    p.drawLine(QPointF(5, 12.5), QPointF(27, 12.5));
    p.drawLine(QPointF(11, 4), QPointF(11, 9));
    p.drawLine(QPointF(21, 4), QPointF(21, 9));
    p.drawLine(QPointF(16, 15.5), QPointF(16, 24));
    p.drawLine(QPointF(11.75, 19.75), QPointF(20.25, 19.75));
}

void tabPlayCount(QPainter &p)
{
    // A play mark inside a circling arrow: played again and again.
    p.setPen(iconPen());
    p.setBrush(Qt::NoBrush);
    const QRectF ring(5, 5, 22, 22);
    p.drawArc(ring, 100 * 16, 300 * 16);
    // Arrow head where the arc ends (at 40 degrees), pointing the way it runs.
    const qreal a = qDegreesToRadians(40.0);
    const QPointF end(16 + 11 * qCos(a), 16 - 11 * qSin(a));
    const QPointF along(-qSin(a), -qCos(a));
    const QPointF across(-along.y(), along.x());
    p.drawPolyline(QPolygonF({end - along * 4.0 + across * 3.5, end + along * 0.5,
                              end - along * 4.0 - across * 3.5}));
    QPainterPath play;
    play.moveTo(13.5, 11);
    play.lineTo(21, 16);
    play.lineTo(13.5, 21);
    play.closeSubpath();
    p.fillPath(play, iconInk);
}

void tabRating(QPainter &p)
{
    p.setPen(iconPen(1.8));
    p.setBrush(Qt::NoBrush);
    p.drawPath(starPath(QPointF(16, 17), 12, 5.2));
    p.fillPath(starPath(QPointF(16, 17), 5.0, 2.2), iconInk);
}

// The rounded tile every application icon stands on.
void iconTile(QPainter &p, QColor fill, QColor edge, qreal edgeWidth)
{
    QPainterPath tile;
    tile.addRoundedRect(QRectF(16, 16, 224, 224), 50, 50);
    p.fillPath(tile, fill);
    p.setPen(QPen(edge, edgeWidth));
    p.drawPath(tile);
}

void appIcon(QPainter &p)
{
    // The sidebar's dark tile with a cream note and three sorted bars.
    iconTile(p, sidebar, level(60, 52, 52), 4);

    const QColor bars[3] = {previewLighter, level(214, 186, 120), bg};
    for (int i = 0; i < 3; ++i) {
        QPainterPath bar;
        bar.addRoundedRect(QRectF(48, 66 + i * 34, 40 + i * 22, 18), 9, 9);
        p.fillPath(bar, bars[i]);
    }
    QPainterPath bar;
    bar.addRoundedRect(QRectF(48, 168, 124, 18), 9, 9);
    p.fillPath(bar, preview);

    // A beamed pair of notes.
    p.setPen(Qt::NoPen);
    p.setBrush(bg);
    p.save();
    p.translate(146, 150);
    p.rotate(-20);
    p.drawEllipse(QPointF(0, 0), 17, 12);
    p.restore();
    p.save();
    p.translate(196, 136);
    p.rotate(-20);
    p.drawEllipse(QPointF(0, 0), 17, 12);
    p.restore();
    p.drawRect(QRectF(156, 62, 8, 86));
    p.drawRect(QRectF(206, 48, 8, 86));
    QPainterPath beam;
    beam.moveTo(156, 62);
    beam.lineTo(214, 48);
    beam.lineTo(214, 66);
    beam.lineTo(156, 80);
    beam.closeSubpath();
    p.fillPath(beam, bg);
}

// The music library's icon: a cream tile holding the rows of a track
// table, the top row marked in the program's green, and a dark note.
void libraryIcon(QPainter &p)
{
    iconTile(p, bg, level(196, 188, 172), 6);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 5; ++i) {
        QPainterPath row;
        row.addRoundedRect(QRectF(44, 56 + i * 32, i == 0 ? 168 : 112, 18), 9, 9);
        p.fillPath(row, i == 0 ? preview : (i % 2 ? previewLighter : level(214, 206, 190)));
    }
    p.setBrush(sidebar);
    p.save();
    p.translate(186, 196);
    p.rotate(-20);
    p.drawEllipse(QPointF(0, 0), 19, 14);
    p.restore();
    p.drawRect(QRectF(196, 104, 9, 92));
    QPainterPath flag;
    flag.moveTo(196, 104);
    flag.cubicTo(214, 112, 226, 124, 216, 148);
    flag.cubicTo(220, 130, 210, 122, 205, 120);
    flag.closeSubpath();
    p.fillPath(flag, sidebar);
}

// The desktop's icon theme: each program's icon at the usual sizes, as
// DIR/hicolor/NxN/apps/ID.png.
bool saveThemeIcons(const QString &folder)
{
    const std::pair<const char *, Drawing> icons[] = {{"org.melvora.Melvora", appIcon},
                                                      {"org.melvora.MusicLibrary", libraryIcon}};
    for (int size : {16, 24, 32, 48, 64, 128, 256, 512}) {
        const QString dir = QStringLiteral("%1/hicolor/%2x%2/apps").arg(folder).arg(size);
        QDir().mkpath(dir);
        for (const auto &[name, draw] : icons) {
            QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            p.scale(size / 256.0, size / 256.0);
            draw(p);
            p.end();
            const QString file = QStringLiteral("%1/%2.png").arg(dir, QLatin1String(name));
            if (!image.save(file)) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
                return false;
            }
        }
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && QByteArray(argv[1]) == "--icons")
        return saveThemeIcons(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n       %s --icons THEME_FOLDER\n", argv[0], argv[0]);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);

    const QColor edge = level(208, 200, 186);
    const QColor lip = level(196, 188, 172);
    const QColor actionEdge = level(150, 156, 104);
    const QColor actionLip = level(122, 129, 65);

    bool ok = true;
    ok &= save(out, "button", {24, 24}, buttonFace(level(255, 253, 248), edge, lip, false));
    ok &= save(out, "button_down", {24, 24}, buttonFace(tab.darker(104), edge, lip, true));
    ok &= save(out, "button2", {24, 24}, buttonFace(level(206, 210, 172), actionEdge, actionLip, false));
    ok &= save(out, "button2_down", {24, 24},
               buttonFace(previewLighter.darker(106), actionEdge, actionLip, true));
    ok &= save(out, "star", {14, 14}, star(sidebar));
    ok &= save(out, "star_lighter", {14, 14}, star(tab));
    ok &= save(out, "tab_modified", {32, 32}, tabModified);
    ok &= save(out, "tab_added", {32, 32}, tabAdded);
    ok &= save(out, "tab_playcount", {32, 32}, tabPlayCount);
    ok &= save(out, "tab_rating", {32, 32}, tabRating);
    ok &= save(out, "appicon", {256, 256}, appIcon);
    return ok ? 0 : 1;
}
