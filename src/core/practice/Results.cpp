#include "core/practice/Results.h"
#include "core/practice/DemoPlayer.h"
#include "core/practice/FollowMode.h"
#include "core/files/FileOps.h"
#include <QDir>
#include <QStringList>

namespace {
const QString FileName = QStringLiteral("results.txt");
constexpr int MaxCount = 100000;
constexpr qint64 MaxMs = 100LL * 3600 * 1000;

// A title as one field: no tab or line break, within its length.
QString Field(const QString& title)
{
    QString t = title.left(Results::MaxTitleChars);
    for (QChar& c : t)
        if (c == u'\t' || c == u'\n' || c == u'\r')
            c = u' ';
    return t;
}

bool Number(const QString& text, qint64 max, qint64* out)
{
    bool ok = false;
    const qint64 v = text.toLongLong(&ok);
    if (!ok || v < 0 || v > max)
        return false;
    *out = v;
    return true;
}

double FollowScore(const Results::Follow& r)
{
    return r.right + r.wrong > 0 ? double(r.right) / (r.right + r.wrong) : 0;
}

double RhythmScore(const Judge::Tally& t)
{
    return t.Total() > 0 ? (2.0 * t.exact + t.early + t.late) / (2.0 * t.Total()) : 0;
}
} // namespace

Results::Results(QString folder) { Load(folder); }

QString Results::FilePath() const
{
    return m_folder.isEmpty() ? QString() : QDir(m_folder).filePath(FileName);
}

void Results::Load(const QString& folder)
{
    m_folder = folder;
    m_best.clear();
    if (m_folder.isEmpty())
        return;
    // A pipe in its place would stop 弹奏 for good, a huge file would fill the memory.
    const FileRead read = ReadFileBounded(FilePath(), MaxFileBytes);
    if (!read.ok())
        return;
    const QStringList lines = QString::fromUtf8(read.bytes).split(u'\n');
    for (const QString& line : lines) {
        const QStringList p = line.split(u'\t');
        qint64 n[4] = {};
        if (p.size() == 5 && p[0] == QLatin1String("F") && Number(p[2], MaxCount, &n[0]) &&
            Number(p[3], MaxCount, &n[1]) && Number(p[4], MaxMs, &n[2])) {
            if (Best* b = Entry(p[1]))
                b->follow = Follow{int(n[0]), int(n[1]), n[2]};
        } else if (p.size() == 6 && p[0] == QLatin1String("R") && Number(p[2], MaxCount, &n[0]) &&
                   Number(p[3], MaxCount, &n[1]) && Number(p[4], MaxCount, &n[2]) && Number(p[5], MaxCount, &n[3])) {
            if (Best* b = Entry(p[1]))
                b->rhythm = Judge::Tally{int(n[0]), int(n[1]), int(n[2]), int(n[3])};
        } else if (p.size() == 3 && p[0] == QLatin1String("T") && Number(p[2], DemoPlayer::MaxTempo, &n[0]) &&
                   n[0] >= DemoPlayer::MinTempo) {
            if (Best* b = Entry(p[1]))
                b->tempo = int(n[0]);
        }
    }
}

Results::Best* Results::Entry(const QString& song)
{
    const QString key = Field(song);
    if (key.isEmpty())
        return nullptr;
    const auto it = m_best.find(key);
    if (it != m_best.end())
        return &it->second;
    if (int(m_best.size()) >= MaxSongs)
        return nullptr;
    return &m_best[key];
}

std::optional<Results::Follow> Results::BestFollow(const QString& song) const
{
    const auto it = m_best.find(Field(song));
    return it == m_best.end() ? std::nullopt : it->second.follow;
}

std::optional<Judge::Tally> Results::BestRhythm(const QString& song) const
{
    const auto it = m_best.find(Field(song));
    return it == m_best.end() ? std::nullopt : it->second.rhythm;
}

bool Results::OfferFollow(const QString& song, const Follow& r)
{
    Best* b = Entry(song);
    if (!b || r.right <= 0)
        return false;
    // Fewer mistakes for each right note first, then the quicker.
    if (b->follow && (FollowScore(r) < FollowScore(*b->follow) ||
                      (FollowScore(r) == FollowScore(*b->follow) && r.ms >= b->follow->ms)))
        return false;
    b->follow = r;
    Save();
    return true;
}

bool Results::OfferRhythm(const QString& song, const Judge::Tally& r)
{
    Best* b = Entry(song);
    if (!b || r.Total() <= 0)
        return false;
    if (b->rhythm && RhythmScore(r) <= RhythmScore(*b->rhythm))
        return false;
    b->rhythm = r;
    Save();
    return true;
}

std::optional<int> Results::Tempo(const QString& song) const
{
    const auto it = m_best.find(Field(song));
    return it == m_best.end() ? std::nullopt : it->second.tempo;
}

void Results::KeepTempo(const QString& song, int tempo)
{
    tempo = DemoPlayer::ClampTempo(tempo);
    Best* b = Entry(song);
    if (!b || b->tempo == tempo)
        return;
    b->tempo = tempo;
    Save();
}

void Results::Save() const
{
    if (m_folder.isEmpty())
        return;
    QString text;
    // One pass of arg: a title holding "%2" must not take the numbers' places.
    const auto n = [](qint64 v) { return QString::number(v); };
    for (const auto& [title, b] : m_best) {
        if (b.follow)
            text += QStringLiteral("F\t%1\t%2\t%3\t%4\n").arg(title, n(b.follow->right), n(b.follow->wrong), n(b.follow->ms));
        if (b.rhythm)
            text += QStringLiteral("R\t%1\t%2\t%3\t%4\t%5\n")
                        .arg(title, n(b.rhythm->exact), n(b.rhythm->early), n(b.rhythm->late), n(b.rhythm->miss));
        if (b.tempo)
            text += QStringLiteral("T\t%1\t%2\n").arg(title, n(*b.tempo));
    }
    // Results are a nicety: a folder that cannot be written leaves them in memory, and the
    // old file as it was.
    QDir().mkpath(m_folder);
    try {
        WriteWholeFile(FilePath(), text.toUtf8());
    } catch (const TavoError& e) {
        qWarning("%s", e.what());
    }
}

QString Results::FollowText(const Follow& r)
{
    return QStringLiteral("最佳 ") + FollowMode::SummaryOf(r.right, r.wrong, r.ms);
}

QString Results::RhythmText(const Judge::Tally& r)
{
    return QStringLiteral("最佳 ") + Judge::Summary(r);
}
