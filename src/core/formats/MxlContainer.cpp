#include "core/formats/MxlContainer.h"
#include "core/formats/MusicXml.h"
#include "core/formats/MusicXmlBounds.h"
#include <QXmlStreamReader>
#include <algorithm>
#include "core/formats/ZipLibrary.h"

using namespace MusicXmlLimits;
using MusicXmlDetail::Fail;

namespace {

struct ZipArchive {
    const ZipApi& z;
    zip_t* zip = nullptr;
    ~ZipArchive()
    {
        if (zip)
            z.discard(zip);
    }
};

// Closes the entry on every way out of the read.
struct ZipEntryFile {
    const ZipApi& z;
    zip_file_t* file = nullptr;
    ~ZipEntryFile()
    {
        if (file)
            z.fclose(file);
    }
};

bool PackedTooHard(zip_uint64_t unpacked, const zip_stat_t& st)
{
    return unpacked > 1024 * 1024 && unpacked / std::max<zip_uint64_t>(st.comp_size, 1) > zip_uint64_t(PackRatio);
}

zip_stat_t EntryStat(const ZipArchive& a, zip_int64_t index, qint64 limit, const QString& file)
{
    zip_stat_t st;
    a.z.stat_init(&st);
    if (a.z.stat_index(a.zip, zip_uint64_t(index), 0, &st) != 0)
        Fail(file, QStringLiteral("压缩包已损坏"));
    if ((st.valid & ZIP_STAT_SIZE) && st.size > zip_uint64_t(limit))
        Fail(file, QStringLiteral("压缩包中的乐谱解压后太大"));
    if ((st.valid & ZIP_STAT_SIZE) && (st.valid & ZIP_STAT_COMP_SIZE) && PackedTooHard(st.size, st))
        Fail(file, QStringLiteral("压缩包的压缩比异常，可能是压缩炸弹"));
    return st;
}

// The entry's bytes, never more than `limit`: the header's size is only a claim, so the
// count is checked while reading.
QByteArray ReadEntry(const ZipArchive& a, zip_int64_t index, qint64 limit, const QString& file)
{
    const zip_stat_t st = EntryStat(a, index, limit, file);
    ZipEntryFile f{a.z, a.z.fopen_index(a.zip, zip_uint64_t(index), 0)};
    if (!f.file)
        Fail(file, QStringLiteral("压缩包中的文件无法解压"));
    QByteArray out;
    char buf[65536];
    for (;;) {
        const zip_int64_t n = a.z.fread(f.file, buf, sizeof buf);
        if (n < 0)
            Fail(file, QStringLiteral("压缩包中的文件无法解压"));
        if (n == 0)
            break;
        if (out.size() + n > limit)
            Fail(file, QStringLiteral("压缩包中的乐谱解压后太大"));
        out.append(buf, qsizetype(n));
        if ((st.valid & ZIP_STAT_COMP_SIZE) && PackedTooHard(zip_uint64_t(out.size()), st))
            Fail(file, QStringLiteral("压缩包的压缩比异常，可能是压缩炸弹"));
    }
    return out;
}

// The score's path that container.xml names, or nothing.
QString ContainerRootFile(const QByteArray& container)
{
    if (!MusicXmlDetail::TagProblem(container).isEmpty())
        return {};
    QXmlStreamReader xml(container);
    int depth = 0;
    while (!xml.atEnd()) {
        const auto t = xml.readNext();
        if (t == QXmlStreamReader::DTD)
            return {};
        if (t == QXmlStreamReader::EndElement)
            --depth;
        if (t != QXmlStreamReader::StartElement)
            continue;
        if (++depth > Depth)
            return {};
        if (xml.name() == QLatin1String("rootfile")) {
            const QString media = xml.attributes().value(QLatin1String("media-type")).toString();
            if (media.isEmpty() || media == QLatin1String("application/vnd.recordare.musicxml+xml"))
                return xml.attributes().value(QLatin1String("full-path")).toString();
        }
    }
    return {};
}

void OpenZip(ZipArchive& a, const QByteArray& bytes, const QString& file)
{
    zip_error_t err;
    a.z.error_init(&err);
    zip_source_t* src = a.z.source_buffer_create(bytes.constData(), zip_uint64_t(bytes.size()), 0, &err);
    if (src) {
        a.zip = a.z.open_from_source(src, ZIP_RDONLY | ZIP_CHECKCONS, &err);
        if (!a.zip)
            a.z.source_free(src);
    }
    a.z.error_fini(&err);
    if (!a.zip)
        Fail(file, QStringLiteral("不是有效的 .mxl 压缩文件"));
}

// Without a usable container, the one .xml/.musicxml file at the top is the score.
zip_int64_t TopScoreEntry(const ZipArchive& a, zip_int64_t entries)
{
    zip_int64_t score = -1;
    for (zip_int64_t i = 0; score < 0 && i < entries; ++i) {
        const QString name = QString::fromUtf8(a.z.get_name(a.zip, zip_uint64_t(i), 0));
        if (!name.contains(u'/') && (name.endsWith(QLatin1String(".xml")) || name.endsWith(QLatin1String(".musicxml"))))
            score = i;
    }
    return score;
}

}

namespace MusicXmlDetail {

QByteArray UnpackMxl(const QByteArray& bytes, const QString& file)
{
    const ZipApi* z = Zip();
    if (!z)
        Fail(file, QStringLiteral("无法解压：没有找到 libzip"));
    ZipArchive a{*z};
    OpenZip(a, bytes, file);
    const zip_int64_t entries = z->get_num_entries(a.zip, 0);
    if (entries < 0 || entries > ZipEntries)
        Fail(file, QStringLiteral("压缩包中的文件太多"));

    QString root;
    const zip_int64_t container = z->name_locate(a.zip, "META-INF/container.xml", 0);
    if (container >= 0)
        root = ContainerRootFile(ReadEntry(a, container, ContainerBytes, file));
    zip_int64_t score = root.isEmpty() ? -1 : z->name_locate(a.zip, root.toUtf8().constData(), 0);
    if (score < 0 && container < 0)
        score = TopScoreEntry(a, entries);
    if (score < 0)
        Fail(file, QStringLiteral("压缩包中找不到乐谱（META-INF/container.xml 未指明）"));
    return ReadEntry(a, score, ScoreBytes, file);
}

}
