// The small file helpers: ini values, and copy and delete without prompts.
#include "core/files/FileOps.h"
#include "core/Errors.h"
#include "core/platform/FileSystem.h"
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryFile>
#include <cerrno>
#include <cstring>

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
    const FileRead read = ReadFileBounded(file, SettingsFileLimit);
    if (!read.ok())
        return false;
    const QByteArray& bytes = read.bytes;
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
    try {
        WriteWholeFile(file, EncodeIni(ini.lines.join(eol) + eol));
    } catch (const FileWriteError& e) {
        qWarning("Cannot write settings file \"%s\": %s", qPrintable(file), qPrintable(e.reason()));
    }
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

// ---- Reading and writing whole files ----

namespace {
// Qt reports a short write as "Unknown error"; the system's reason says more.
QString WriteFailure(int err, const QFileDevice& file)
{
    switch (err) {
    case ENOSPC:
        return QStringLiteral("磁盘已满");
    case EFBIG:
        return QStringLiteral("文件超出了允许的大小");
#ifdef EDQUOT
    case EDQUOT:
        return QStringLiteral("磁盘配额已用完");
#endif
    case 0:
        return file.errorString();
    default:
        return QString::fromLocal8Bit(std::strerror(err));
    }
}
} // namespace

QString SizeText(qint64 bytes)
{
    if (bytes >= 1024 * 1024 && bytes % (1024 * 1024) == 0)
        return QStringLiteral("%1 MB").arg(bytes / (1024 * 1024));
    if (bytes >= 1024)
        return QStringLiteral("%1 KB").arg(bytes / 1024);
    return QStringLiteral("%1 字节").arg(bytes);
}

FileRead ReadFileBounded(const QString& path, qint64 cap)
{
    FileRead r;
    QFile file(path);
    qint64 size = 0;
    switch (Platform::OpenRegularFile(path, file, &size, &r.reason)) {
    case Platform::OpenFault::None:
        break;
    case Platform::OpenFault::Missing:
        r.fault = FileRead::Fault::Missing;
        return r;
    case Platform::OpenFault::NotRegular:
        r.fault = FileRead::Fault::NotRegular;
        return r;
    case Platform::OpenFault::Other:
        r.fault = FileRead::Fault::Unreadable;
        return r;
    }
    const QString tooLarge = QStringLiteral("文件太大（超过 %1）").arg(SizeText(cap));
    if (size > cap) {
        r.fault = FileRead::Fault::TooLarge;
        r.reason = tooLarge;
        return r;
    }
    // The size may have grown since, or be wrong (/proc reports 0): read one byte past the cap.
    r.bytes = file.read(cap + 1);
    if (file.error() != QFileDevice::NoError) {
        r.bytes.clear();
        r.fault = FileRead::Fault::Unreadable;
        r.reason = file.errorString();
    } else if (r.bytes.size() > cap) {
        r.bytes.clear();
        r.fault = FileRead::Fault::TooLarge;
        r.reason = tooLarge;
    }
    return r;
}

std::optional<QByteArray> ReadRegularFile(const QString& path, qint64 cap)
{
    FileRead r = ReadFileBounded(path, cap);
    if (!r.ok())
        return std::nullopt;
    return std::move(r.bytes);
}

FileReplacement::FileReplacement(const QString& path) : m_target(path), m_shown(QDir::toNativeSeparators(path))
{
    // A link keeps pointing where it did; the file it points to gets the new version.
    const QFileInfo link(path);
    if (link.isSymLink())
        m_target = link.exists() ? link.canonicalFilePath() : link.symLinkTarget();
    const QFileInfo old(m_target);
    // A device or a pipe is never replaced by a file (nor written into).
    if (old.exists() && !old.isFile())
        Fail(old.isDir() ? QStringLiteral("它是一个文件夹") : QStringLiteral("它不是一个普通文件"));
    if (old.exists() && !old.isWritable())
        Fail(QStringLiteral("原有的文件不可写"));
    QTemporaryFile temp(m_target + QStringLiteral(".XXXXXX.part"));
    temp.setAutoRemove(false);
    if (!temp.open())
        Fail(temp.errorString());
    m_temp = temp.fileName();
    // The temporary is private; the new version reads like the old one, or like any new file.
    temp.setPermissions(old.exists() ? old.permissions()
                                     : QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                                           QFileDevice::ReadOther);
    temp.close();
}

FileReplacement::~FileReplacement()
{
    if (!m_temp.isEmpty())
        QFile::remove(m_temp);
}

void FileReplacement::Commit(qint64 expectedSize)
{
    const qint64 written = QFileInfo(m_temp).size();
    if (expectedSize >= 0 && written != expectedSize)
        Fail(QStringLiteral("只写入了 %1 字节，应为 %2 字节，磁盘可能已满").arg(written).arg(expectedSize));
    QString why;
    if (!Platform::ReplaceFile(m_temp, m_target, &why))
        Fail(why);
    m_temp.clear();
}

void FileReplacement::Fail(const QString& reason)
{
    if (!m_temp.isEmpty()) {
        QFile::remove(m_temp);
        m_temp.clear();
    }
    QString text = QStringLiteral("无法写入文件“%1”：%2。").arg(m_shown, reason);
    if (QFileInfo::exists(m_target))
        text += QStringLiteral("原有的文件没有改动。");
    throw FileWriteError(text, reason);
}

void WriteWholeFile(const QString& path, const QByteArray& bytes)
{
    FileReplacement replacement(path);
    {
        // Unbuffered, and flushed and checked: a buffered write() counts bytes that may
        // never reach a full disk.
        QFile out(replacement.TempPath());
        if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            replacement.Fail(out.errorString());
        errno = 0;
        if (out.write(bytes) != bytes.size() || !out.flush() || out.error() != QFileDevice::NoError)
            replacement.Fail(WriteFailure(errno, out));
        out.close();
        if (out.error() != QFileDevice::NoError)
            replacement.Fail(WriteFailure(errno, out));
    }
    replacement.Commit(bytes.size());
}
