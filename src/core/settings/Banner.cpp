#include "core/settings/Banner.h"
#include "core/files/FileOps.h"
#include "core/settings/WebAddresses.h"
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRandomGenerator>
#include <QTimer>
#include <QUrl>
#include <algorithm>

namespace {

bool IsWebAddress(const QString& link)
{
    return link.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
           link.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

bool IsPictureName(const QString& name)
{
    return name.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive) ||
           name.endsWith(QLatin1String(".png"), Qt::CaseInsensitive);
}

// The ini file keeps one value per line; a value holding a break would be read back as another.
bool WritableWhole(const QString& value)
{
    return !value.contains(u'\r') && !value.contains(u'\n');
}


// A page is a few kilobytes; anything far larger is not the page we want.
constexpr qint64 MaxPageBytes = 4 * 1024 * 1024;

// Copy(text, from) with a 1-based start, where a start below 1 counts as 1.
QString From(const QString& text, qsizetype start1)
{
    return text.mid(std::max<qsizetype>(start1, 1) - 1);
}

// 1-based position of the first occurrence, 0 when absent.
qsizetype Pos(const QString& needle, const QString& text)
{
    return text.indexOf(needle) + 1;
}

} // namespace

// ---- Pick ----

bool BannerCanShow(const QString& link)
{
    const QString l = link.trimmed();
    if (l.isEmpty())
        return false;
    if (IsWebAddress(l)) {
        const QUrl url(l);
        return url.isValid() && !url.host().isEmpty() && IsPictureName(url.path());
    }
    if (l.contains(QLatin1String("://")))
        return false;   // other schemes the view does not load
    // A picture file that is not there would leave an empty box.
    return IsPictureName(l) && QFileInfo(link).isFile();
}

std::optional<int> BannerScaleMode(const QString& movie)
{
    if (movie.contains(QLatin1String(".swf"), Qt::CaseInsensitive))
        return 2;
    if (movie.contains(QLatin1String(".jpg"), Qt::CaseInsensitive) ||
        movie.contains(QLatin1String(".png"), Qt::CaseInsensitive))
        return 3;
    return std::nullopt;
}

std::optional<BannerChoice> PickBanner(const BannerLinkList& links, QRandomGenerator& rng)
{
    const int start = 1 + int(rng.bounded(BannerSlotCount - 1));   // 1..29
    for (int k = 0; k < BannerSlotCount; ++k) {
        const int slot = (start - 1 + k) % BannerSlotCount + 1;
        const QString& link = links[slot];
        if (link.isEmpty() || !BannerCanShow(link))
            continue;
        return BannerChoice{slot, link, BannerScaleMode(link)};
    }
    return std::nullopt;
}

QRect BannerRect(int windowWidth)
{
    return QRect(25, 120, windowWidth - 50, 230);
}

// ---- Refresh ----

QString FetchPage(const QString& address, std::chrono::milliseconds limit)
{
    const QUrl url(address);
    if (!url.isValid() || !IsWebAddress(address))
        return QString();

    QNetworkAccessManager net;
    QNetworkRequest request(url);
    QNetworkReply* reply = net.get(request);
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, reply, &QNetworkReply::abort);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > MaxPageBytes)
            reply->abort();
    });
    timer.start(limit);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    timer.stop();

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() != QNetworkReply::NoError || status < 200 || status > 299)
        return QString();
    QByteArray body = reply->readAll();
    const qsizetype zero = body.indexOf('\0');
    if (zero >= 0)
        body.truncate(zero);
    return DecodeText(body);
}

QStringList SplitPageLines(const QString& text)
{
    if (text.isEmpty())
        return {};
    QStringList lines;
    qsizetype begin = 0;
    for (qsizetype k = 0; k < text.size(); ++k) {
        if (text[k] != u'\r' && text[k] != u'\n')
            continue;
        lines << text.mid(begin, k - begin);
        if (text[k] == u'\r' && k + 1 < text.size() && text[k + 1] == u'\n')
            ++k;
        begin = k + 1;
    }
    lines << text.mid(begin);
    if (lines.last().isEmpty())
        lines.removeLast();   // a final break ends the last line, it starts no new one
    return lines;
}

int HarvestBannerEntries(const QStringList& lines, const QString& bannerFile, const QString& anchorStart,
                         const QString& addressEnd, const QString& tagEnd, const QString& anchorEnd)
{
    int i = 1;
    for (const QString& line : lines) {
        if (i > 20)
            break;
        const qsizetype a = Pos(anchorStart, line);
        if (a == 0)
            continue;
        QString rest = From(line, a + anchorStart.size());

        const qsizetype q = Pos(addressEnd, rest);
        const QString address = q > 0 ? rest.left(q - 1) : QString();
        rest = From(rest, q + addressEnd.size());

        const qsizetype g = Pos(tagEnd, rest);
        rest = From(rest, g + tagEnd.size());

        const qsizetype e = Pos(anchorEnd, rest);
        const QString caption = e > 0 ? rest.left(e - 1) : QString();

        if (!address.contains(QLatin1String(".swf")) || !caption.contains(u']'))
            continue;
        if (!WritableWhole(address) || !WritableWhole(caption))
            continue;
        const QString key = QString::number(i + 20);
        IniWriteString(bannerFile, QStringLiteral("info"), key, caption);
        IniWriteString(bannerFile, QStringLiteral("link"), key, address);
        ++i;
    }
    if (i == 1) {
        IniWriteString(bannerFile, QStringLiteral("info"), QStringLiteral("30"), QStringLiteral("TavoPiano"));
        IniWriteString(bannerFile, QStringLiteral("link"), QStringLiteral("30"), QString());
    }
    return i - 1;
}

void BannerRefresh(const QString& bannerFile, const PageFetcher& fetch)
{
    const QStringList lines = SplitPageLines(fetch(MakerPageAddress));
    QDir().mkpath(QFileInfo(bannerFile).absolutePath());
    HarvestBannerEntries(lines, bannerFile, QStringLiteral("<a href='"), QStringLiteral("'"),
                         QStringLiteral("'>"), QStringLiteral("</a>"));
}

bool BannerRefreshDue(const QString& bannerFile, const QDateTime& now)
{
    const QFileInfo info(bannerFile);
    if (!info.exists())
        return true;
    if (UnreadableFile(bannerFile))
        return false;
    constexpr qint64 thirtyDaysMs = 30LL * 24 * 60 * 60 * 1000;
    return info.lastModified().msecsTo(now) > thirtyDaysMs;
}

bool BannerExitStep(const QString& folder, const QDateTime& now, const PageFetcher& fetch)
{
    const QString banner = BannerFilePath(folder);
    if (UnreadableFile(banner))
        return false;
    const bool due = BannerRefreshDue(banner, now);
    if (due)
        BannerRefresh(banner, fetch);
    if (QFileInfo::exists(banner))
        MarkHidden(banner);
    return due;
}
