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
#include <utility>

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

BoundedFetch::BoundedFetch(const QUrl& url, std::chrono::milliseconds limit, qint64 cap, QObject* parent)
    : QObject(parent), m_net(new QNetworkAccessManager(this)), m_timer(new QTimer(this)), m_cap(cap)
{
    QNetworkRequest request(url);
    request.setMaximumRedirectsAllowed(3);
    m_reply = m_net->get(request);
    // The reply holds no more than this unread; the rest waits in the socket.
    m_reply->setReadBufferSize(64 * 1024);
    connect(m_reply, &QNetworkReply::readyRead, this, [this] {
        m_body += m_reply->read(m_cap + 1 - m_body.size());
        if (m_body.size() > m_cap)
            end(false);
    });
    connect(m_reply, &QNetworkReply::finished, this, [this] {
        if (!m_reply)
            return;
        m_body += m_reply->read(m_cap + 1 - m_body.size());
        const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        end(m_reply->error() == QNetworkReply::NoError && status >= 200 && status <= 299 && m_body.size() <= m_cap);
    });
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, [this] { end(false); });
    m_timer->start(limit);
}

BoundedFetch::~BoundedFetch()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

void BoundedFetch::end(bool ok)
{
    if (!m_reply)
        return;
    m_timer->stop();
    QNetworkReply* reply = std::exchange(m_reply, nullptr);
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
    if (ok)
        Q_EMIT finished(std::exchange(m_body, {}));
    else
        Q_EMIT failed();
    m_body.clear();
}

QString FetchPage(const QString& address, std::chrono::milliseconds limit)
{
    const QUrl url(address);
    if (!url.isValid() || !IsWebAddress(address))
        return QString();
    BoundedFetch fetch(url, limit, FetchBytesLimit);
    QEventLoop loop;
    QByteArray body;
    QObject::connect(&fetch, &BoundedFetch::finished, &loop, [&](const QByteArray& b) {
        body = b;
        loop.quit();
    });
    QObject::connect(&fetch, &BoundedFetch::failed, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
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
