#include "core/practice/Judge.h"
#include <cmath>

void Judge::Start(int rate)
{
    SetRate(rate);
    m_waiting.clear();
    m_tally = {};
}

void Judge::SetRate(int rate)
{
    m_rate = rate > 0 ? rate : 1;
    m_window = std::uint64_t(std::llround(WindowSeconds * m_rate));
    m_exact = std::uint64_t(std::llround(ExactSeconds * m_rate));
}

void Judge::Expect(int event, const QString& note, std::uint64_t frame)
{
    if (!note.isEmpty())
        m_waiting.push_back({event, note, frame});
}

Judge::Result Judge::Play(const QString& note, std::uint64_t frame)
{
    auto distance = [frame](const Target& t) { return t.frame > frame ? t.frame - frame : frame - t.frame; };
    auto best = m_waiting.end(), nearest = m_waiting.end();
    for (auto it = m_waiting.begin(); it != m_waiting.end(); ++it) {
        if (distance(*it) > m_window)
            continue;
        if (nearest == m_waiting.end() || distance(*it) < distance(*nearest))
            nearest = it;
        if (it->note == note && (best == m_waiting.end() || distance(*it) < distance(*best)))
            best = it;
    }
    Result r;
    const auto judged = best != m_waiting.end() ? best : nearest;
    if (judged == m_waiting.end())
        return r;
    r.event = judged->event;
    r.offsetMs = (double(frame) - double(judged->frame)) * 1000.0 / m_rate;
    if (best == m_waiting.end())
        r.verdict = Verdict::Miss;
    else if (distance(*judged) <= m_exact)
        r.verdict = Verdict::Exact;
    else
        r.verdict = frame < judged->frame ? Verdict::Early : Verdict::Late;
    m_waiting.erase(judged);
    Count(r.verdict);
    return r;
}

std::vector<int> Judge::Expire(std::uint64_t now)
{
    std::vector<int> missed;
    while (!m_waiting.empty() && m_waiting.front().frame + m_window < now) {
        missed.push_back(m_waiting.front().event);
        m_waiting.pop_front();
        Count(Verdict::Miss);
    }
    return missed;
}

void Judge::Finish()
{
    for (size_t i = 0; i < m_waiting.size(); ++i)
        Count(Verdict::Miss);
    m_waiting.clear();
}

void Judge::Count(Verdict v)
{
    switch (v) {
    case Verdict::Exact: ++m_tally.exact; break;
    case Verdict::Early: ++m_tally.early; break;
    case Verdict::Late: ++m_tally.late; break;
    case Verdict::Miss: ++m_tally.miss; break;
    case Verdict::None: break;
    }
}

QString Judge::Word(Verdict v)
{
    switch (v) {
    case Verdict::Exact: return QStringLiteral("准");
    case Verdict::Early: return QStringLiteral("早");
    case Verdict::Late: return QStringLiteral("晚");
    case Verdict::Miss: return QStringLiteral("漏");
    case Verdict::None: break;
    }
    return {};
}

QString Judge::Summary(const Tally& t)
{
    return QStringLiteral("准 %1 个，早 %2 个，晚 %3 个，漏 %4 个").arg(t.exact).arg(t.early).arg(t.late).arg(t.miss);
}

QString Judge::Running(const Tally& t, Verdict last)
{
    const QString word = Word(last);
    return (word.isEmpty() ? QString() : word + QStringLiteral("　")) +
           QStringLiteral("准 %1 · 早 %2 · 晚 %3 · 漏 %4").arg(t.exact).arg(t.early).arg(t.late).arg(t.miss);
}
