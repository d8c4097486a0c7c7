#include "core/library/SongText.h"
#include "core/Errors.h"
#include <QRegularExpression>
#include <optional>

namespace {

constexpr int UnitsPerBeat = 8;   // a sixteenth's dot is the smallest value: 1/8 beat
constexpr int MaxSongs = 21;      // the library's song numbers run from 1 to 21
constexpr int MaxSlur = 5;
constexpr int TitleBytes = 200;
constexpr int CreditBytes = 10;

enum class Cell { None, Note, Rest, Dot, Dash, Bar, Space };

class Parser {
public:
    explicit Parser(QString date) : m_date(std::move(date)) {}

    std::vector<SongTextSong> run(const QString& text)
    {
        const QStringList lines = text.split(u'\n');
        for (int n = 0; n < lines.size(); ++n) {
            m_line = n + 1;
            QString l = lines.at(n);
            const qsizetype hash = l.indexOf(u'#');
            if (hash >= 0)
                l.truncate(hash);
            l = l.trimmed();
            if (l.isEmpty())
                continue;
            static const QRegularExpression header(QStringLiteral("^([A-Za-z]+)\\s*[:\uFF1A]\\s*(.*)$"));
            const QRegularExpressionMatch m = header.match(l);
            if (m.hasMatch())
                takeHeader(m.captured(1).toLower(), m.captured(2).trimmed());
            else
                takeNotes(l);
        }
        if (m_song)
            finishSong();
        return std::move(m_songs);
    }

private:
    [[noreturn]] void fail(const QString& what, int line = 0) const
    {
        Raise(QStringLiteral("line %1: %2").arg(line ? line : m_line).arg(what));
    }

    void takeHeader(const QString& key, const QString& value)
    {
        if (key == QLatin1String("title")) {
            if (m_song)
                finishSong();
            startSong(value);
            return;
        }
        if (!m_song)
            fail(QStringLiteral("\"%1:\" comes before the first \"title:\"").arg(key));
        if (m_started)
            fail(QStringLiteral("\"%1:\" must come before the notes of 《%2》").arg(key, m_song->title));
        if (key == QLatin1String("performer") || key == QLatin1String("lyricist") || key == QLatin1String("composer")) {
            if (GbkLength(value) > CreditBytes)
                fail(QStringLiteral("the %1 \"%2\" is longer than %3 bytes").arg(key, value).arg(CreditBytes));
            QString& field = key == QLatin1String("performer") ? m_song->rows[0].SongNote
                : key == QLatin1String("lyricist")             ? m_song->rows[0].OpernLong
                                                               : m_song->rows[0].OpernHigh;
            if (!value.isEmpty())
                field = value;
        } else if (key == QLatin1String("time")) {
            if (value == QLatin1String("2/4"))
                m_timeCode = 0;
            else if (value == QLatin1String("4/4"))
                m_timeCode = 1;
            else
                fail(QStringLiteral("the time signature must be 2/4 or 4/4, not \"%1\"").arg(value));
            m_song->rows[0].Conn = *m_timeCode;
        } else {
            fail(QStringLiteral("unknown header \"%1:\" (title, performer, lyricist, composer or time)").arg(key));
        }
    }

    void startSong(const QString& title)
    {
        if (title.isEmpty())
            fail(QStringLiteral("the title is empty"));
        if (GbkLength(title) > TitleBytes)
            fail(QStringLiteral("the title is longer than %1 bytes").arg(TitleBytes));
        if (int(m_songs.size()) >= MaxSongs)
            fail(QStringLiteral("the library holds at most %1 songs").arg(MaxSongs));
        m_songs.emplace_back();
        m_song = &m_songs.back();
        m_song->title = title;
        m_song->firstLine = m_line;
        SongRecord h;
        h.SongID = int(m_songs.size());
        h.SeqID = 0;
        h.SongName = title;
        // Credits left out read as unknown, as the editor stores them.
        h.SongNote = h.OpernLong = h.OpernHigh = QStringLiteral("佚名");
        h.InfoType = QStringLiteral("0");
        h.SongDate = m_date;
        m_song->rows.push_back(h);
        m_timeCode.reset();
        m_started = false;
        m_barUnits = 0;
        m_last = Cell::None;
        m_lastNoteUnits = 0;
        m_lastDuration = 0;
        m_slurStart = -1;
        m_slurPending = false;
    }

    void finishSong()
    {
        if (m_slurPending || m_slurStart >= 0)
            fail(QStringLiteral("the slur opened here in 《%1》 is never closed").arg(m_song->title), m_slurLine);
        if (m_song->rows.size() < 2)
            fail(QStringLiteral("《%1》 has no notes").arg(m_song->title), m_song->firstLine);
        if (m_barUnits > 0)
            closeBar(m_lastCellLine);
        m_song = nullptr;
    }

    int barUnits() const { return (*m_timeCode == 0 ? 2 : 4) * UnitsPerBeat; }

    static QString beats(int units)
    {
        return QString::number(double(units) / UnitsPerBeat);
    }

    void closeBar(int line)
    {
        if (m_barUnits == 0)
            fail(QStringLiteral("empty bar in 《%1》").arg(m_song->title), line);
        if (m_barUnits != barUnits())
            fail(QStringLiteral("bar %1 of 《%2》 holds %3 beats; %4 needs %5")
                     .arg(m_song->bars + 1)
                     .arg(m_song->title, beats(m_barUnits), *m_timeCode == 0 ? QStringLiteral("2/4") : QStringLiteral("4/4"),
                          beats(barUnits())),
                 line);
        ++m_song->bars;
        m_barUnits = 0;
    }

    SongRecord& addCell(const QString& note, const QString& length, const QString& octave, int conn, const char* kind)
    {
        SongRecord r;
        r.SongID = m_song->rows[0].SongID;
        r.SeqID = int(m_song->rows.size());
        r.SongName = m_song->title;
        r.SongNote = note;
        r.OpernLong = length;
        r.OpernHigh = octave;
        r.Conn = conn;
        r.InfoType = QLatin1String(kind);
        r.SongDate = m_date;
        m_song->rows.push_back(r);
        m_lastCellLine = m_line;
        return m_song->rows.back();
    }

    void addSymbol(int code, const QString& length = QStringLiteral("0"))
    {
        addCell(QStringLiteral("9"), length, QStringLiteral("0"), code, "2");
    }

    void takeNotes(const QString& l)
    {
        if (!m_song)
            fail(QStringLiteral("notes come before the first \"title:\""));
        if (!m_timeCode)
            fail(QStringLiteral("\"time:\" must come before the notes of 《%1》").arg(m_song->title));
        m_started = true;
        for (qsizetype i = 0; i < l.size(); ++i) {
            const QChar c = l.at(i);
            if (c.isSpace())
                continue;
            if (c >= u'0' && c <= u'7') {
                i = takeNote(l, i);
            } else if (c == u'8' || c == u'9') {
                fail(QStringLiteral("%1 is not a scale degree (0 to 7)").arg(c));
            } else if (c == u'|') {
                closeBar(m_line);
                addSymbol(2);
                m_last = Cell::Bar;
            } else if (c == u'.') {
                if (m_last != Cell::Note && m_last != Cell::Rest)
                    fail(QStringLiteral("a dot must follow a note or a rest"));
                addSymbol(1, QString::number(m_lastDuration));
                m_barUnits += m_lastNoteUnits / 2;
                m_last = Cell::Dot;
            } else if (c == u'-') {
                if (m_lastNoteUnits == 0)
                    fail(QStringLiteral("a dash needs a note before it"));
                addSymbol(3);
                m_barUnits += UnitsPerBeat;
                m_last = Cell::Dash;
            } else if (c == u'~') {
                addSymbol(5);
                m_last = Cell::Space;
            } else if (c == u'(') {
                if (m_slurPending || m_slurStart >= 0)
                    fail(QStringLiteral("a slur is already open"));
                m_slurPending = true;
                m_slurLine = m_line;
            } else if (c == u')') {
                closeSlur();
            } else if (c == u'\'' || c == u',' || c == u'_') {
                fail(QStringLiteral("'%1' must follow a digit").arg(c));
            } else {
                fail(QStringLiteral("unexpected character '%1'").arg(c));
            }
        }
    }

    // Reads a digit and its marks; returns the index of the last character used.
    qsizetype takeNote(const QString& l, qsizetype i)
    {
        const QChar digit = l.at(i);
        int up = 0, down = 0, lines = 0;
        while (i + 1 < l.size()) {
            const QChar m = l.at(i + 1);
            if (m == u'\'')
                ++up;
            else if (m == u',')
                ++down;
            else if (m == u'_')
                ++lines;
            else
                break;
            ++i;
        }
        const bool rest = digit == u'0';
        if (rest && (up || down))
            fail(QStringLiteral("a rest takes no octave mark"));
        if (up + down > 1)
            fail(QStringLiteral("only one octave mark per note (' upper or , lower)"));
        if (lines > 2)
            fail(QStringLiteral("at most two underlines per note"));
        const int octave = rest ? 0 : down ? 0 : up ? 2 : 1;
        SongRecord& r = addCell(QString(digit), QString::number(lines), QString::number(octave), 0, "1");
        if (m_slurPending) {
            if (rest)
                fail(QStringLiteral("a slur must start on a note, not a rest"));
            m_slurStart = r.SeqID;
            m_slurPending = false;
        }
        m_lastDuration = lines;
        m_lastNoteUnits = UnitsPerBeat >> lines;
        m_barUnits += m_lastNoteUnits;
        m_last = rest ? Cell::Rest : Cell::Note;
        return i;
    }

    void closeSlur()
    {
        if (m_slurPending)
            fail(QStringLiteral("a slur must start on a note"));
        if (m_slurStart < 0)
            fail(QStringLiteral("')' without '('"));
        const int span = int(m_song->rows.size()) - 1 - m_slurStart;
        if (span < 1)
            fail(QStringLiteral("a slur must cover at least two cells"));
        if (span > MaxSlur)
            fail(QStringLiteral("a slur spans at most %1 cells; this one spans %2").arg(MaxSlur).arg(span));
        m_song->rows[size_t(m_slurStart)].Conn = span;
        m_slurStart = -1;
    }

    QString m_date;
    std::vector<SongTextSong> m_songs;
    SongTextSong* m_song = nullptr;
    int m_line = 0;
    int m_lastCellLine = 0;
    std::optional<int> m_timeCode;
    bool m_started = false;
    int m_barUnits = 0;
    Cell m_last = Cell::None;
    int m_lastNoteUnits = 0;
    int m_lastDuration = 0;
    int m_slurStart = -1;
    bool m_slurPending = false;
    int m_slurLine = 0;
};

} // namespace

std::vector<SongTextSong> ParseSongText(const QString& text, const QString& songDate)
{
    return Parser(songDate).run(text);
}

SongTableType SongTextRows(const std::vector<SongTextSong>& songs)
{
    SongTableType all;
    for (const SongTextSong& s : songs)
        all.insert(all.end(), s.rows.begin(), s.rows.end());
    return all;
}
