// The small file helpers: ini values, and copy and delete without prompts.
#include "core/files/FileOps.h"
#include "core/Errors.h"
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

// ---- Ini files ----
// Plain ini text as the Windows profile calls treat it: section and key names match
// without regard to case, values are trimmed and lose one pair of surrounding quotes,
// other lines are kept as they are. The text is held in the system's 8-bit code page
// (GB18030, a superset of GBK); a file that is valid UTF-8 is read as such.

QString DecodeText(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder gbk("GB18030");
    return gbk.isValid() ? gbk.decode(bytes) : QString::fromLatin1(bytes);
}

namespace {

QString DecodeIni(QByteArray bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    return DecodeText(bytes);
}

QByteArray EncodeIni(const QString& text)
{
    QStringEncoder gbk("GB18030");
    if (gbk.isValid())
        return gbk.encode(text);
    return text.toUtf8();
}

struct IniLines {
    QStringList lines;
    bool crlf = false;
};

bool LoadIni(const QString& file, IniLines& ini)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = f.readAll();
    ini.crlf = bytes.contains("\r\n");
    QString text = DecodeIni(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    ini.lines = text.split(u'\n');
    if (!ini.lines.isEmpty() && ini.lines.last().isEmpty())
        ini.lines.removeLast();
    return true;
}

// The section named on a line, or a null string when the line opens no section.
QString SectionOf(const QString& line)
{
    const QString t = line.trimmed();
    if (!t.startsWith(u'['))
        return QString();
    const qsizetype close = t.indexOf(u']');
    return t.mid(1, close < 0 ? -1 : close - 1).trimmed();
}

bool KeyLine(const QString& line, QString* key, QString* value)
{
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(u';') || t.startsWith(u'['))
        return false;
    const qsizetype eq = t.indexOf(u'=');
    if (eq < 0)
        return false;
    *key = t.left(eq).trimmed();
    QString v = t.mid(eq + 1).trimmed();
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    *value = v;
    return true;
}

// Index range [begin, end) of the lines under the first section named `section`;
// begin is -1 when there is no such section.
std::pair<int, int> FindSection(const QStringList& lines, const QString& section)
{
    int begin = -1;
    for (int i = 0; i < lines.size(); ++i) {
        const QString s = SectionOf(lines[i]);
        if (s.isNull())
            continue;
        if (begin >= 0)
            return {begin, i};
        if (s.compare(section, Qt::CaseInsensitive) == 0)
            begin = i + 1;
    }
    return {begin, int(lines.size())};
}

} // namespace

QString IniReadString(const QString& file, const QString& section, const QString& key, const QString& def)
{
    IniLines ini;
    if (!LoadIni(file, ini))
        return def;
    const auto [begin, end] = FindSection(ini.lines, section);
    if (begin < 0)
        return def;
    QString k, v;
    for (int i = begin; i < end; ++i)
        if (KeyLine(ini.lines[i], &k, &v) && k.compare(key, Qt::CaseInsensitive) == 0)
            return v;
    return def;
}

void IniWriteString(const QString& file, const QString& section, const QString& key, const QString& value)
{
    IniLines ini;
    const bool existed = LoadIni(file, ini);
    if (!existed && QFileInfo::exists(file)) {
        // Writing now would replace everything else in a file we could not read.
        qWarning("Cannot read settings file \"%s\"; not written", qPrintable(file));
        return;
    }
#ifdef Q_OS_WIN
    if (!existed)
        ini.crlf = true;
#endif
    // A line break inside a value would start new lines (or sections) in the file.
    QString v = value;
    v.replace(u'\r', u' ').replace(u'\n', u' ');

    auto [begin, end] = FindSection(ini.lines, section);
    if (begin < 0) {
        if (v.isEmpty())
            return;   // nothing to delete
        ini.lines << (QStringLiteral("[") + section + QStringLiteral("]"));
        ini.lines << (key + u'=' + v);
    } else {
        int found = -1;
        int lastFilled = begin - 1;
        QString k, old;
        for (int i = begin; i < end; ++i) {
            if (!ini.lines[i].trimmed().isEmpty())
                lastFilled = i;
            if (found < 0 && KeyLine(ini.lines[i], &k, &old) && k.compare(key, Qt::CaseInsensitive) == 0)
                found = i;
        }
        if (v.isEmpty()) {
            if (found < 0)
                return;
            ini.lines.removeAt(found);
        } else if (found >= 0) {
            ini.lines[found] = key + u'=' + v;
        } else {
            ini.lines.insert(lastFilled + 1, key + u'=' + v);
        }
    }

    const QString eol = ini.crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QSaveFile out(file);
    out.setDirectWriteFallback(true);
    if (!out.open(QIODevice::WriteOnly)) {
        qWarning("Cannot write settings file \"%s\": %s", qPrintable(file), qPrintable(out.errorString()));
        return;
    }
    out.write(EncodeIni(ini.lines.join(eol) + eol));
    if (!out.commit())
        qWarning("Cannot write settings file \"%s\": %s", qPrintable(file), qPrintable(out.errorString()));
}

// ---- Copy and delete without prompts ----

namespace {

bool CopyOne(const QString& from, const QString& to)
{
    const QFileInfo src(from);
    const QFileInfo dst(to);
    if (dst.exists() && src.canonicalFilePath() == dst.canonicalFilePath())
        return false;   // copying a file onto itself would destroy it
    if (!QDir().mkpath(dst.absolutePath()))
        return false;
    if (src.isDir()) {
        // A folder copied into itself would never end.
        if ((dst.absoluteFilePath() + u'/').startsWith(src.canonicalFilePath() + u'/'))
            return false;
        if (!QDir().mkpath(to))
            return false;
        bool ok = true;
        const QDir dir(from);
        const auto entries = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        for (const QString& e : entries)
            ok = CopyOne(dir.filePath(e), QDir(to).filePath(e)) && ok;
        return ok;
    }
    // Copy beside the target first, so a failed copy leaves the old file in place.
    const QString part = to + QStringLiteral(".part");
    QFile::remove(part);
    if (!QFile::copy(from, part))
        return false;
    if (dst.exists() && !QFile::remove(to)) {
        QFile::remove(part);
        return false;
    }
    if (!QFile::rename(part, to)) {
        QFile::remove(part);
        return false;
    }
    return true;
}

} // namespace

bool CopyFiles(const QString& from, const QString& to)
{
    const QFileInfo src(from);
    if (!src.exists())
        return false;
    QString target = to;
    // Like the shell, an existing folder as the target receives the file by its own name.
    if (QFileInfo(to).isDir() && !src.isDir())
        target = QDir(to).filePath(src.fileName());
    return CopyOne(from, target);
}

bool DeleteFiles(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return false;
    if (info.isDir() && !info.isSymLink())
        return QDir(path).removeRecursively();
    return QFile::remove(path);
}

void WriteWholeFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        Raise(QStringLiteral("无法写入文件“%1”：%2").arg(QDir::toNativeSeparators(path), out.errorString()));
}

std::optional<QByteArray> ReadRegularFile(const QString& path, qint64 cap)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.isSequential())
        return std::nullopt;
    QByteArray bytes = file.read(cap + 1);
    if (bytes.size() > cap || file.error() != QFile::NoError)
        return std::nullopt;
    return bytes;
}
