// Damaged audio files against the track-number reader, the library's add and
// `melvora-cli order`: no crash or hang, the track text fits on a row, the
// command prints one line per file. The inputs under regressions/ run first,
// then files damaged from tagged originals by a seeded generator
// (MELVORA_FUZZ_SEED, MELVORA_FUZZ_COUNT); each failure names how it was made.

#include "library/MusicLibrary.h"
#include "library/TrackStore.h"
#include "tests/support/AudioFiles.h"
#include "tracks/files/ID3Parser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <random>

namespace {
constexpr quint64 defaultSeed = 20240611;
constexpr int defaultCount = 5000;
constexpr int batchSize = 100;
// Only ends a hang of the command.
constexpr int commandBoundMs = 60000;

bool hasControl(const QString &text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.category() == QChar::Other_Control; });
}

// "-", or the number: a leading zero below ten, else the stored text from its
// number on ("12a" stays as stored).
bool isTrackText(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^(-|\\s*\\+?[0-9].*)$"),
                                         QRegularExpression::DotMatchesEverythingOption);
    return !hasControl(text) && form.match(text).hasMatch();
}

quint64 environmentNumber(const char *name, quint64 fallback)
{
    bool ok = false;
    const quint64 value = qEnvironmentVariable(name).toULongLong(&ok, 0);
    return ok ? value : fallback;
}

// Damages a file's bytes. Half of all changes land near the places that
// decide how the rest is read (tag and frame headers, size fields, the
// track-number text); the other half anywhere.
class Damage
{
public:
    Damage(std::mt19937 &random, QByteArray bytes) : m_random(random), m_bytes(std::move(bytes)) { findSizeFields(); }

    QByteArray apply(QStringList &how)
    {
        const int changes = 1 + int(below(3));
        for (int i = 0; i < changes && !m_bytes.isEmpty(); ++i) {
            switch (below(8)) {
            case 0: case 1: case 2: flip(how); break;
            case 3: truncate(how); break;
            case 4: duplicate(how); break;
            default: oversize(how); break;
            }
            findSizeFields();
        }
        return m_bytes;
    }

private:
    struct Field
    {
        qsizetype offset;
        int width;
    };

    quint32 below(quint32 n) { return n ? std::uniform_int_distribution<quint32>(0, n - 1)(m_random) : 0; }

    qsizetype somewhere()
    {
        if (m_fields.isEmpty() || below(2))
            return below(quint32(m_bytes.size()));
        const qsizetype near = m_fields.at(below(quint32(m_fields.size()))).offset - 8 + below(40);
        return std::clamp<qsizetype>(near, 0, m_bytes.size() - 1);
    }

    void flip(QStringList &how)
    {
        const int n = 1 + int(below(8));
        for (int i = 0; i < n; ++i) {
            const qsizetype at = somewhere();
            if (below(2))
                m_bytes[at] = char(m_bytes.at(at) ^ (1 << below(8)));
            else
                m_bytes[at] = char(below(256));
            how << QStringLiteral("flip@%1").arg(at);
        }
    }

    void truncate(QStringList &how)
    {
        const qsizetype at = somewhere();
        m_bytes.truncate(at);
        how << QStringLiteral("cut@%1").arg(at);
    }

    void duplicate(QStringList &how)
    {
        const qsizetype from = somewhere();
        const qsizetype length = 1 + below(quint32(std::min<qsizetype>(4096, m_bytes.size() - from)));
        const qsizetype to = below(2) ? from + length : somewhere();
        m_bytes.insert(to, m_bytes.mid(from, length));
        how << QStringLiteral("copy@%1+%2->%3").arg(from).arg(length).arg(to);
    }

    void oversize(QStringList &how)
    {
        if (m_fields.isEmpty())
            return flip(how);
        const Field field = m_fields.at(below(quint32(m_fields.size())));
        const quint64 huge[] = {0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u, 0x7F7F7F7Fu, 0xFFFFFFF0u,
                                quint64(m_bytes.size()) + below(64), below(16), m_random()};
        const quint64 value = huge[below(std::size(huge))];
        const bool bigEndian = below(2);
        for (int i = 0; i < field.width; ++i)
            m_bytes[field.offset + i] = char(value >> (8 * (bigEndian ? field.width - 1 - i : i)));
        how << QStringLiteral("size@%1=%2").arg(field.offset).arg(value, 0, 16);
    }

    // The size and length fields of each format's tags and containers, found
    // by the marks around them.
    void findSizeFields()
    {
        m_fields.clear();
        const auto each = [this](QByteArrayView mark, qsizetype delta, int width) {
            for (qsizetype at = m_bytes.indexOf(mark); at >= 0; at = m_bytes.indexOf(mark, at + 1))
                if (at + delta >= 0 && at + delta + width <= m_bytes.size())
                    m_fields.append({at + delta, width});
        };
        each("ID3", 6, 4); // ID3v2 tag size
        for (const char *frame : {"TRCK", "TPOS", "TIT2", "TPE1", "TALB", "TXXX", "TSSE", "COMM", "APIC"})
            each(frame, 4, 4);
        for (const char *key : {"TITLE=", "ARTIST=", "ALBUM=", "TRACKNUMBER=", "DISCNUMBER=", "ENCODER="})
            each(key, -4, 4); // Vorbis comment lengths
        each("\x03vorbis", 7, 4); // vendor lengths
        each("OpusTags", 8, 4);
        each("OggS", 26, 1); // segment count and first lacing value of a page
        each("OggS", 27, 1);
        each("RIFF", 4, 4);
        each("FORM", 4, 4);
        for (const char *chunk : {"fmt ", "data", "id3 ", "ID3 ", "LIST", "COMM", "SSND"})
            each(chunk, 4, 4);
        for (const char *atom : {"ftyp", "moov", "mvhd", "trak", "mdia", "minf", "stbl", "stsd", "stsz", "stco",
                                 "udta", "meta", "hdlr", "ilst", "trkn", "disk", "\xA9nam", "\xA9" "ART",
                                 "\xA9" "alb", "data", "free", "mdat", "mp4a", "esds"})
            each(atom, -4, 4);
        // FLAC metadata blocks: a type byte, then a 24-bit length.
        if (m_bytes.startsWith("fLaC")) {
            qsizetype at = 4;
            while (at + 4 <= m_bytes.size()) {
                m_fields.append({at + 1, 3});
                const auto byte = [this, at](int i) { return quint32(quint8(m_bytes.at(at + i))); };
                if (byte(0) & 0x80)
                    break;
                at += 4 + (byte(1) << 16 | byte(2) << 8 | byte(3));
            }
        }
    }

    std::mt19937 &m_random;
    QByteArray m_bytes;
    QList<Field> m_fields;
};
} // namespace

class FuzzTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    TrackStore m_store;
    MusicLibrary *m_library = nullptr;
    quint64 m_seed = defaultSeed;
    int m_count = defaultCount;
    QList<QByteArray> m_originals;
    QStringList m_originalNames; // "disc.flac"

    // The in-process readers on one file; what went wrong, if anything. The
    // track text goes to `track` for the comparison with the command line.
    QStringList readInProcess(const QString &path, QString *track)
    {
        QStringList wrong;
        const QUrl url = QUrl::fromLocalFile(path);
        const ID3Parser::AlbumPlace place = ID3Parser::getAlbumPlace(url);
        const qint64 id = m_library->addFile(url);
        if (!isTrackText(place.track))
            wrong << QStringLiteral("track text %1").arg(QString::fromLatin1(place.track.toUtf8().toPercentEncoding()));
        if (place.disc < 1)
            wrong << QStringLiteral("disc %1").arg(place.disc);
        if (const TrackRecord *record = id ? m_store.track(id) : nullptr) {
            for (const QString &field : {record->name, record->artist, record->album, record->trackNumber})
                if (hasControl(field))
                    wrong << QStringLiteral("library field with a control character: %1")
                                 .arg(QString::fromLatin1(field.toUtf8().toPercentEncoding()));
        }
        *track = place.track;
        return wrong;
    }

    // `melvora-cli order --by track` over the files: one line per file, its
    // name and the track text the reader gave in-process. QProcess's
    // destructor kills a command that hangs.
    QStringList readByCommand(const QStringList &paths, const QHash<QString, QString> &trackByName)
    {
        QProcess command;
        command.start(QStringLiteral(MELVORA_CLI),
                    QStringList{QStringLiteral("order"), QStringLiteral("--by"), QStringLiteral("track"),
                                QStringLiteral("--")} + paths);
        if (!command.waitForStarted() || !command.waitForFinished(commandBoundMs))
            return {QStringLiteral("order did not finish: %1").arg(command.errorString())};
        QStringList wrong;
        if (command.exitStatus() != QProcess::NormalExit || command.exitCode() != 0)
            wrong << QStringLiteral("order ended with status %1, code %2: %3")
                         .arg(command.exitStatus()).arg(command.exitCode())
                         .arg(QString::fromUtf8(command.readAllStandardError().right(2000)));
        // Each file once, as "name<TAB>track", in any order.
        QStringList lines = QString::fromUtf8(command.readAllStandardOutput()).split(u'\n');
        if (lines.last().isEmpty())
            lines.removeLast();
        QStringList expected;
        for (auto file = trackByName.cbegin(); file != trackByName.cend(); ++file)
            expected << file.key() + u'\t' + file.value();
        lines.sort();
        expected.sort();
        if (lines != expected) {
            const auto odd = std::find_if(lines.cbegin(), lines.cend(),
                                          [&](const QString &line) { return !expected.contains(line); });
            wrong << QStringLiteral("order printed %1 lines for %2 files, first unexpected: %3")
                         .arg(lines.size())
                         .arg(paths.size())
                         .arg(odd == lines.cend() ? QString()
                                                  : QString::fromLatin1(odd->toUtf8().toPercentEncoding(" /")));
        }
        return wrong;
    }

    // The failures one by one (a test message would be cut short).
    static QByteArray summary(const QStringList &failures)
    {
        for (const QString &failure : failures)
            qWarning("%s", qPrintable(failure));
        return QByteArray::number(failures.size()) + " failures, listed above";
    }

    // Every reader on every file; the failures, each with its file and how
    // it was made (the seed and its index make it again).
    QStringList readAll(const QStringList &paths, const QHash<QString, QString> &how = {})
    {
        QStringList failures;
        QHash<QString, QString> trackByName;
        for (const QString &path : paths) {
            const QString name = QFileInfo(path).fileName();
            const QStringList wrong = readInProcess(path, &trackByName[name]);
            if (!wrong.isEmpty())
                failures << QStringLiteral("%1 (%2): %3").arg(path, how.value(name, QStringLiteral("as saved")),
                                                              wrong.join(QStringLiteral("; ")));
        }
        const QStringList wrong = readByCommand(paths, trackByName);
        if (!wrong.isEmpty())
            failures << (paths.size() == 1 ? paths.first() : paths.first() + QStringLiteral(" ... ") + paths.last())
                            + QStringLiteral(": ") + wrong.join(QStringLiteral("; "));
        return failures;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(m_store.open(m_dir.filePath(QStringLiteral("Library.sqlite"))));
        m_library = new MusicLibrary(&m_store, this);
        m_seed = environmentNumber("MELVORA_FUZZ_SEED", defaultSeed);
        m_count = int(environmentNumber("MELVORA_FUZZ_COUNT", defaultCount));
        qInfo("fuzz seed %llu, %d damaged files (MELVORA_FUZZ_SEED, MELVORA_FUZZ_COUNT)", m_seed, m_count);

        // The originals: every format, tagged, once also with a disc number.
        // Each reads right, or damaging it would prove nothing.
        QDir().mkpath(m_dir.filePath(QStringLiteral("originals")));
        for (const QString &suffix : AudioFiles::suffixes()) {
            for (const bool disc : {false, true}) {
                const QString path = m_dir.filePath(QStringLiteral("originals/%1.%2").arg(disc ? "disc" : "plain", suffix));
                QVERIFY2(AudioFiles::write(path, {QStringLiteral("Fuzz Sông"), QStringLiteral("Fuzz Artist"),
                                                  QStringLiteral("Fuzz Album"), disc ? QStringLiteral("11/12") : QStringLiteral("7/12")}),
                         qPrintable(path));
                if (disc)
                    QVERIFY2(AudioFiles::writeDisc(path, QStringLiteral("2/2")), qPrintable(path));
                const ID3Parser::AlbumPlace place = ID3Parser::getAlbumPlace(QUrl::fromLocalFile(path));
                QCOMPARE(place.track, disc ? QStringLiteral("11") : QStringLiteral("07"));
                QCOMPARE(place.disc, disc ? 2 : 1);
                QVERIFY2(m_library->addFile(QUrl::fromLocalFile(path)) > 0, qPrintable(path));
                QFile file(path);
                QVERIFY(file.open(QIODevice::ReadOnly));
                m_originals.append(file.readAll());
                m_originalNames.append(QFileInfo(path).fileName());
            }
        }
    }

    // Inputs that once failed, and hand-made ones. A name holding
    // ".track-NN." is a readable file with that track number.
    void regressions_data()
    {
        QTest::addColumn<QString>("path");
        const QDir dir(QStringLiteral(MELVORA_FUZZ_REGRESSIONS));
        for (const QFileInfo &file : dir.entryInfoList(QDir::Files, QDir::Name))
            if (file.suffix() != u"md")
                QTest::newRow(qPrintable(file.fileName())) << file.absoluteFilePath();
    }

    void regressions()
    {
        QFETCH(QString, path);
        const QRegularExpressionMatch expected = QRegularExpression(QStringLiteral("\\.track-([^.]+)\\.")).match(path);
        if (expected.hasMatch())
            QCOMPARE(ID3Parser::getAlbumPlace(QUrl::fromLocalFile(path)).track, expected.captured(1));
        const QStringList failures = readAll({path});
        QVERIFY2(failures.isEmpty(), summary(failures).constData());
    }

    // Batches of damaged files, each made from the seed and its own index
    // alone, so any one can be made again.
    void damagedFiles_data()
    {
        QTest::addColumn<int>("first");
        for (int first = 0; first < m_count; first += batchSize)
            QTest::newRow(qPrintable(QStringLiteral("inputs %1-%2").arg(first).arg(std::min(first + batchSize, m_count) - 1)))
                << first;
    }

    void damagedFiles()
    {
        QFETCH(int, first);
        QStringList paths;
        QHash<QString, QString> how;
        for (int index = first; index < std::min(first + batchSize, m_count); ++index) {
            std::seed_seq seed{quint32(m_seed), quint32(m_seed >> 32), quint32(index)};
            std::mt19937 random(seed);
            const int original = int(random() % m_originals.size());
            QStringList changes;
            const QByteArray bytes = Damage(random, m_originals.at(original)).apply(changes);
            const QString name = QStringLiteral("%1.%2").arg(index, 5, 10, QLatin1Char('0')).arg(QFileInfo(m_originalNames.at(original)).suffix());
            const QString path = m_dir.filePath(name);
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
            file.close();
            paths << path;
            how[name] = m_originalNames.at(original) + u' ' + changes.join(u' ');
        }
        const QStringList failures = readAll(paths, how);
        QVERIFY2(failures.isEmpty(), summary(failures).constData());
    }
};

QTEST_GUILESS_MAIN(FuzzTest)
#include "tst_fuzz.moc"
