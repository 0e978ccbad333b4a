#include "app/common/FileNames.h"

#include "app/common/TextRules.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <memory>

namespace FileNames {

QByteArray pathOf(const QUrl &url)
{
    // A file URL naming another machine would reach a local file of the same
    // path: nothing is reached instead.
    if (!url.isValid() || !url.isLocalFile() || !(url.host().isEmpty() || url.host() == u"localhost"))
        return {};
    // The encoded path keeps bytes that are not UTF-8 as "%FF"; decoding it
    // here gives them back as they were.
    const QByteArray path = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    if (path.isEmpty() || path.contains('\0'))
        return {};
    return path;
}

QUrl urlOf(const QByteArray &path)
{
    const QByteArray encoded = path.toPercentEncoding("/");
    // "//" would start an authority; only the whole URL can say it is empty.
    if (encoded.startsWith("//"))
        return QUrl::fromEncoded("file://" + encoded, QUrl::StrictMode);
    // The encoded path holds nothing to parse, so it is set as it is: the
    // same URL, made without parsing a whole one.
    static const QString scheme = QStringLiteral("file");
    QUrl url;
    url.setScheme(scheme);
    url.setPath(QString::fromLatin1(encoded), QUrl::TolerantMode);
    return url;
}

QUrl fromOutside(const QByteArray &text)
{
    if (text.isEmpty())
        return {};
    if (text.startsWith("file:")) {
        const QByteArray path = pathOf(QUrl::fromEncoded(text, QUrl::StrictMode));
        return path.isEmpty() ? QUrl() : urlOf(path);
    }
    // Another scheme ("https://…") names no file here.
    const qsizetype scheme = text.indexOf("://");
    if (text.contains('\0') || (scheme > 0 && std::all_of(text.cbegin(), text.cbegin() + scheme, [](char c) {
                                     return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
                                 })))
        return {};
    return urlOf(cleaned(text));
}

namespace {
// The length of the well-formed UTF-8 sequence starting at i (no overlong
// forms, no surrogates, nothing past U+10FFFF); 0 when none starts there.
int utf8SequenceAt(const QByteArray &bytes, qsizetype i)
{
    const auto at = [&bytes](qsizetype k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char lead = at(i);
    if (lead < 0x80)
        return 1;
    const int length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3 : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    if (length == 0 || i + length > bytes.size())
        return 0;
    for (int k = 1; k < length; ++k)
        if ((at(i + k) & 0xC0) != 0x80)
            return 0;
    const unsigned char second = at(i + 1);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) || (lead == 0xF0 && second < 0x90)
        || (lead == 0xF4 && second >= 0x90))
        return 0;
    return length;
}
} // namespace

QString shown(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    // Well-formed stretches are decoded whole; each byte between them is shown as \xHH.
    qsizetype stretch = 0;
    for (qsizetype i = 0; i < bytes.size();) {
        if (const int length = utf8SequenceAt(bytes, i)) {
            i += length;
            continue;
        }
        text += QString::fromUtf8(bytes.constData() + stretch, i - stretch);
        text += QStringLiteral("\\x") + QString::number(static_cast<unsigned char>(bytes[i]), 16).toUpper().rightJustified(2, u'0');
        stretch = ++i;
    }
    text += QString::fromUtf8(bytes.constData() + stretch, bytes.size() - stretch);
    return TextRules::printable(text);
}

QString shownPath(const QUrl &url)
{
    const QByteArray path = pathOf(url);
    return path.isEmpty() ? TextRules::printable(url.toString()) : shown(path);
}

QString shownName(const QUrl &url)
{
    const QByteArray path = pathOf(url);
    return shown(path.mid(path.lastIndexOf('/') + 1));
}

QByteArray suffixOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    const qsizetype dot = path.lastIndexOf('.');
    return dot > slash ? path.mid(dot + 1).toLower() : QByteArray();
}

QByteArray cleaned(const QByteArray &path)
{
    // Most paths handed in are clean already: absolute, no empty, "." or
    // ".." part, no slash at the end.
    const auto clean = [](const QByteArray &p) {
        return p.startsWith('/') && !p.contains("//") && !p.contains("/./") && !p.contains("/../")
               && !p.endsWith("/.") && !p.endsWith("/..") && (p.size() == 1 || !p.endsWith('/'));
    };
    if (clean(path))
        return path;
    QByteArray full = path;
    if (!full.startsWith('/')) {
        char here[PATH_MAX];
        if (::getcwd(here, sizeof here))
            full = QByteArray(here) + '/' + full;
    }
    QList<QByteArray> parts;
    for (const QByteArray &part : full.split('/')) {
        if (part.isEmpty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.isEmpty())
                parts.removeLast();
            continue;
        }
        parts.append(part);
    }
    QByteArray out;
    for (const QByteArray &part : std::as_const(parts))
        out += '/' + part;
    return out.isEmpty() ? QByteArray("/") : out;
}

QByteArray resolved(const QByteArray &path)
{
    if (path.isEmpty() || path.contains('\0'))
        return {};
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.constData(), nullptr), &std::free);
    return real ? QByteArray(real.get()) : cleaned(path);
}

Kind kindOf(const QByteArray &path)
{
    struct stat info = {};
    if (path.isEmpty() || path.contains('\0') || ::stat(path.constData(), &info) != 0)
        return Kind::Missing;
    return S_ISREG(info.st_mode) ? Kind::File : S_ISDIR(info.st_mode) ? Kind::Folder : Kind::Other;
}

namespace {
void collect(const QByteArray &folder, QList<QByteArray> &files)
{
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return;
    QList<QByteArray> folders;
    while (const struct dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        const QByteArray path = folder.endsWith('/') ? folder + name : folder + '/' + name;
        // The entry's type comes with it on most file systems; only where it
        // does not, or for a link, is the file itself asked.
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN) {
            struct stat own = {};
            if (::lstat(path.constData(), &own) != 0)
                continue;
            type = S_ISDIR(own.st_mode) ? DT_DIR : S_ISREG(own.st_mode) ? DT_REG : S_ISLNK(own.st_mode) ? DT_LNK : DT_UNKNOWN;
        }
        if (type == DT_DIR) {
            folders.append(path);
            continue;
        }
        // A link counts as the file it leads to, never as a folder.
        struct stat target = {};
        if (type == DT_REG || (type == DT_LNK && ::stat(path.constData(), &target) == 0 && S_ISREG(target.st_mode)))
            files.append(path);
    }
    ::closedir(dir);
    for (const QByteArray &inner : std::as_const(folders))
        collect(inner, files);
}
} // namespace

QList<QByteArray> filesUnder(const QByteArray &folder)
{
    QList<QByteArray> files;
    if (!folder.isEmpty() && !folder.contains('\0'))
        collect(folder, files);
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace FileNames
