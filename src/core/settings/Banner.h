#pragma once
// The banner: which link to show at start-up, and the refresh of the banner file
// from the maker's page at exit.
#include "core/settings/Settings.h"
#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QRect>
#include <QStringList>
#include <chrono>
#include <functional>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;
class QRandomGenerator;
class QTimer;
class QUrl;

// ---- Pick ----

// What the banner view is asked to show. scaleMode: 2 stretches, 3 keeps the natural
// size, nothing keeps the view's own mode.
struct BannerChoice {
    int slot = 0;
    QString movie;
    std::optional<int> scaleMode;
};

// The view shows only .jpg and .png pictures, from a file path or an http(s) address.
bool BannerCanShow(const QString& link);
// Scale mode for the address read back from the view.
std::optional<int> BannerScaleMode(const QString& movie);
// Starts at a random slot 1..29 and takes the first link the view can show from
// there to slot 30, then from slot 1 on. Nothing when no link can be shown.
std::optional<BannerChoice> PickBanner(const BannerLinkList& links, QRandomGenerator& rng);
// Where the shown banner sits in a main window of the given width.
QRect BannerRect(int windowWidth);

// ---- Refresh ----

// The whole request gives up after this, so closing never waits longer on the network;
// a banner picture has the same limit.
inline constexpr std::chrono::milliseconds FetchLimit{3000};
// The most the maker's page or a banner picture may hold; a larger answer is dropped
// while it arrives.
inline constexpr qint64 FetchBytesLimit = 4 * 1024 * 1024;

// One HTTP(S) GET that never takes longer than limit nor holds more than cap bytes. It
// ends in exactly one of finished(body) (a 2xx answer) or failed(); deleting it aborts.
class BoundedFetch : public QObject {
    Q_OBJECT
public:
    BoundedFetch(const QUrl& url, std::chrono::milliseconds limit, qint64 cap, QObject* parent = nullptr);
    ~BoundedFetch() override;

Q_SIGNALS:
    void finished(const QByteArray& body);
    void failed();

private:
    void end(bool ok);
    QNetworkAccessManager* m_net;
    QNetworkReply* m_reply = nullptr;
    QTimer* m_timer;
    QByteArray m_body;
    qint64 m_cap;
};

// One HTTP GET; the body as text up to its first zero byte, or the empty text on
// any failure (no network, an error status, the time limit).
QString FetchPage(const QString& address, std::chrono::milliseconds limit = FetchLimit);

using PageFetcher = std::function<QString(const QString& address)>;

// Lines as the page gives them, split at CR LF, CR or LF.
QStringList SplitPageLines(const QString& text);

// Writes the first anchor of each line whose address holds ".swf" and whose caption
// holds "]" as entries 21, 22, ... (at most 20). With none, [info] 30 becomes
// "TavoPiano" and [link] 30 is deleted. Returns the number of entries written.
int HarvestBannerEntries(const QStringList& lines, const QString& bannerFile, const QString& anchorStart,
                         const QString& addressEnd, const QString& tagEnd, const QString& anchorEnd);

// Fetches the maker's page through fetch and harvests its banner entries.
void BannerRefresh(const QString& bannerFile, const PageFetcher& fetch);

// Missing, or last written more than 30.0 days before now. A file that cannot be
// read is never due: it is left alone.
bool BannerRefreshDue(const QString& bannerFile, const QDateTime& now);

// Exit step: refresh when due, then hide the file. Returns whether it refreshed.
bool BannerExitStep(const QString& folder, const QDateTime& now, const PageFetcher& fetch);
