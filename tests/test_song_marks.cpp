// Accidentals, keys and meters: the rule that shows the signs, the pitch a note sounds, and the
// marks that store them beside the song table, so that a reader of the table alone still works.
#include "core/Errors.h"
#include "core/library/Password.h"
#include "core/library/SongLibrary.h"
#include "core/library/SongMarks.h"
#include "core/library/SongRows.h"
#include "core/score/Song.h"
#include "core/score/Timeline.h"
#include <QTemporaryDir>
#include <QtTest>

namespace {

// "+1" a sharp-sounding 1, "-7" a flat 7, "5" plain, "1'" upper, "1," lower, "|" a bar line,
// "0" a rest, "-" a dash.
Song Parse(const QString& text)
{
    Song s;
    s.header = SongHeader(QStringLiteral("记号"), {}, {}, {}, Meter::FourFour);
    for (QString t : text.split(u' ', Qt::SkipEmptyParts)) {
        if (t == u"|") {
            s.cells.push_back(Cell::MakeSymbol(CellKind::Bar));
        } else if (t == u"-") {
            s.cells.push_back(Cell::MakeSymbol(CellKind::Dash));
        } else if (t == u"0") {
            s.cells.push_back(Cell::MakeRest());
        } else {
            const int alter = t.startsWith(u'+') ? 1 : t.startsWith(u'-') ? -1 : 0;
            if (alter)
                t.remove(0, 1);
            const int octave = t.endsWith(u'\'') ? 2 : t.endsWith(u',') ? 0 : 1;
            s.cells.push_back(Cell::MakeNote(t.left(1).toInt(), 0, octave, 0, alter));
        }
    }
    return s;
}

// The signs of the note cells: "#", "b", "n" (natural) or "." for none.
QString Signs(const Song& s, const std::vector<Accidental>& shown)
{
    QString out;
    for (size_t i = 0; i < s.cells.size(); ++i)
        if (s.cells[i].IsNote())
            out += shown[i] == Accidental::Sharp     ? u'#'
                   : shown[i] == Accidental::Flat    ? u'b'
                   : shown[i] == Accidental::Natural ? u'n'
                                                     : u'.';
    return out;
}

SongRecord Row(int song, int seq, const QString& name, const QString& kind, const QString& note = "1")
{
    return SongRecord{song, seq, name, note, "0", "1", kind == "0" ? 1 : 0, kind, "20260101"};
}

// A song in ♭B, 6/8, with a ♯4 and a ♭7 among its notes.
Song MarkedSong(const QString& title)
{
    Song s = Parse("1 +4 2 | -7 0 5");
    s.header->title = title;
    s.header->key = *Key::FromName(u"1=♭B");
    s.header->SetMeter({6, 8});
    return s;
}

QString Password() { return DeriveDatabasePassword(QByteArray(PasswordSeed)); }

}   // namespace

class TestSongMarks : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString file;

    void newLibrary(const SongTableType& rows)
    {
        QFile::remove(file);
        CreateSongDatabase(file, Password(), rows);
    }
    // The library as the program loads it; report gets what it names.
    std::unique_ptr<SongLibrary> load(QString* report = nullptr)
    {
        auto lib = std::make_unique<SongLibrary>();
        lib->ConnectSongDatabase(file);
        BannerLinkList links;
        const QString said = lib->LoadSongTable(links);
        if (report)
            *report = said;
        return lib;
    }
    void exec(const QString& sql, const QVariantList& values = {})
    {
        TADOConnection c;
        c.SetTarget(file, Password());
        TADOQuery q;
        q.Exec(c, sql, values);
    }

private slots:
    void init() { file = dir.filePath(QStringLiteral("Opern.dat")); }

    void shownSigns_data()
    {
        QTest::addColumn<QString>("song");
        QTest::addColumn<QString>("signs");
        QTest::newRow("a sign carries to the end of the bar") << "+4 +4 5 +4"
                                                              << "#...";
        QTest::newRow("a plain note after a sign is cancelled") << "+1 1 1"
                                                                << "#n.";
        QTest::newRow("the bar line ends the carry") << "+1 | +1 1 | 1"
                                                     << "##n.";
        QTest::newRow("another octave does not carry") << "+1 1' 1, +1'"
                                                       << "#..#";
        QTest::newRow("another degree does not carry") << "-7 6 7"
                                                       << "b.n";
        QTest::newRow("flat after sharp, then sharp again") << "+2 -2 +2"
                                                            << "#b#";
        QTest::newRow("rests and dashes do not end the bar") << "+5 0 - +5 5"
                                                             << "#.n";
        QTest::newRow("plain song shows nothing") << "1 2 3 | 4 5"
                                                  << ".....";
    }
    void shownSigns()
    {
        QFETCH(QString, song);
        QFETCH(QString, signs);
        const Song s = Parse(song);
        const std::vector<Accidental> shown = ShownAccidentals(s);
        QCOMPARE(Signs(s, shown), signs);
        // Reading the shown signs back gives what sounds.
        Song plain = s;
        for (Cell& c : plain.cells)
            c.alter = 0;
        ApplyWrittenAccidentals(plain, shown);
        QCOMPARE(plain, s);
    }

    void soundingPitch_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("degree");
        QTest::addColumn<int>("octave");
        QTest::addColumn<int>("alter");
        QTest::addColumn<int>("pitch");
        QTest::addColumn<QString>("name");
        QTest::newRow("1 in C") << "1=C" << 1 << 1 << 0 << 60 << "c1";
        QTest::newRow("b7 below in C") << "1=C" << 7 << 0 << -1 << 58 << "a#";
        QTest::newRow("#4 in C") << "1=C" << 4 << 1 << 1 << 66 << "f#1";
        QTest::newRow("4 upper in C: the top name") << "1=C" << 4 << 2 << 0 << 77 << "f2";
        QTest::newRow("5 upper in C: no name") << "1=C" << 5 << 2 << 0 << 79 << "";
        QTest::newRow("1 in G") << "1=G" << 1 << 1 << 0 << 67 << "g1";
        QTest::newRow("7 in G is the top sharp") << "1=G" << 7 << 1 << 0 << 78 << "f#2";
        QTest::newRow("#5 upper in C: no name") << "1=C" << 5 << 2 << 1 << 80 << "";
        QTest::newRow("3 lower in G is B") << "1=G" << 3 << 0 << 0 << 59 << "b";
        QTest::newRow("1 lower in bB") << "1=♭B" << 1 << 0 << 0 << 58 << "a#";
        QTest::newRow("3 in #F") << "1=♯F" << 3 << 1 << 0 << 70 << "a#1";
        QTest::newRow("4 in F") << "1=F" << 4 << 1 << 0 << 70 << "a#1";
        QTest::newRow("1 in bC is B") << "1=♭C" << 1 << 1 << 0 << 71 << "b1";
        QTest::newRow("b1 lower in E") << "1=E" << 1 << 0 << -1 << 51 << "d#";
        QTest::newRow("no degree") << "1=C" << 8 << 1 << 0 << -1 << "";
        QTest::newRow("unknown octave") << "1=D" << 1 << 3 << 0 << -1 << "";
    }
    void soundingPitch()
    {
        QFETCH(QString, key);
        QFETCH(int, degree);
        QFETCH(int, octave);
        QFETCH(int, alter);
        QFETCH(int, pitch);
        QFETCH(QString, name);
        const std::optional<Key> k = Key::FromName(key);
        QVERIFY(k);
        QCOMPARE(k->Name(), key);
        QCOMPARE(SoundingPitch(*k, degree, octave, alter), pitch);
        QCOMPARE(PitchNoteName(pitch), name);
    }

    // The naturals of C keep the names they always had.
    void naturalsInCKeepTheirNames()
    {
        for (int o = 0; o <= 2; ++o)
            for (int d = 1; d <= 7; ++d) {
                const QString old = o == 2 && d > 4
                                        ? QString()
                                        : QString(QChar(u"cdefgab"[d - 1])) + (o == 0 ? "" : QString::number(o));
                QCOMPARE(TimelineNoteName(d, o), old);
            }
    }

    void keyNames_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("name");   // empty: refused
        QTest::newRow("display") << "1=♭B"
                                 << "1=♭B";
        QTest::newRow("ascii flat first") << "bB"
                                          << "1=♭B";
        QTest::newRow("ascii flat after") << "Bb"
                                          << "1=♭B";
        QTest::newRow("sharp after") << "F#"
                                     << "1=♯F";
        QTest::newRow("plain") << "1=D"
                               << "1=D";
        QTest::newRow("C flat") << "Cb"
                                << "1=♭C";
        QTest::newRow("no such major key") << "♯E"
                                           << "";
        QTest::newRow("F flat") << "bF"
                                << "";
        QTest::newRow("not a letter") << "1=H"
                                      << "";
        QTest::newRow("lower case") << "d"
                                    << "";
        QTest::newRow("empty") << "1="
                               << "";
    }
    void keyNames()
    {
        QFETCH(QString, text);
        QFETCH(QString, name);
        const std::optional<Key> k = Key::FromName(text);
        QCOMPARE(k ? k->Name() : QString(), name);
    }

    void meters_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<double>("quarters");
        QTest::addColumn<int>("pulses");
        QTest::addColumn<double>("pulse");
        QTest::addColumn<int>("code");
        QTest::newRow("2/4") << "2/4" << 2.0 << 2 << 1.0 << 0;
        QTest::newRow("3/4") << "3/4" << 3.0 << 3 << 1.0 << 1;
        QTest::newRow("4/4") << "4/4" << 4.0 << 4 << 1.0 << 1;
        QTest::newRow("2/2") << "2/2" << 4.0 << 2 << 2.0 << 1;
        QTest::newRow("3/8") << "3/8" << 1.5 << 3 << 0.5 << 0;
        QTest::newRow("6/8") << "6/8" << 3.0 << 2 << 1.5 << 0;
        QTest::newRow("9/8") << "9/8" << 4.5 << 3 << 1.5 << 1;
        QTest::newRow("12/8") << "12/8" << 6.0 << 4 << 1.5 << 1;
    }
    void meters()
    {
        QFETCH(QString, caption);
        QFETCH(double, quarters);
        QFETCH(int, pulses);
        QFETCH(double, pulse);
        QFETCH(int, code);
        const std::optional<Meter> m = Meter::FromCaption(caption);
        QVERIFY(m);
        QCOMPARE(m->Caption(), caption);
        QCOMPARE(m->BarQuarters(), quarters);
        QCOMPARE(m->Pulses(), pulses);
        QCOMPARE(m->PulseQuarters(), pulse);
        QCOMPARE(m->NearestCode(), code);
        // The header keeps its own meter only when its code cannot say it.
        SongHeader h;
        h.SetMeter(*m);
        QCOMPARE(h.timeCode, code);
        QCOMPARE(h.meter.has_value(), caption != "2/4" && caption != "4/4");
        QCOMPARE(h.MeterText(), caption);
        QCOMPARE(h.TimeSignature(), *m);
    }

    void meterCaptionsRefused()
    {
        for (const char* bad : {"0/4", "3/5", "17/8", "3/04", "a/4", "3/", "/4", "3 /4", "3/4/4", "100/4", ""})
            QVERIFY2(!Meter::FromCaption(QString::fromLatin1(bad)), bad);
        // An old header's code reads as today.
        QCOMPARE(SongHeader().TimeSignature(), (Meter{4, 4}));
        QCOMPARE(SongHeader({}, {}, {}, {}, 0).MeterText(), QStringLiteral("2/4"));
        QVERIFY(SongHeader({}, {}, {}, {}, 7).MeterText().isEmpty());
    }

    void timelineSoundsTheKeyAndTheSigns()
    {
        Song s = Parse("1 +4 4 | 5 0");
        s.header->key = *Key::FromName(u"G");
        s.cells[0].slur = 2;   // over 1 and ♯4: different pitches, no tie
        const Timeline t = BuildTimeline(s, Sounding::InSongKey);
        QCOMPARE(int(t.events.size()), 5);
        const int pitches[] = {67, 73, 72, 74, -1};   // ♯4 in G is C♯, 4 is C
        const int fromC[] = {60, 66, 65, 67, -1};     // the keys the learner plays: ♯4 is F♯
        const Timeline c = BuildTimeline(s, Sounding::InC);
        for (size_t i = 0; i < 5; ++i) {
            QCOMPARE(t.events[i].pitch, pitches[i]);
            QCOMPARE(c.events[i].pitch, fromC[i]);
        }
        QCOMPARE(t.events[1].note, QStringLiteral("c#2"));
        QCOMPARE(t.events[3].note, QStringLiteral("d2"));
        // ♯4 then 4 under one arc are different notes; 4 4 are one.
        Song tied = Parse("+4 4 4");
        tied.cells[0].slur = 1;
        tied.cells[1].slur = 1;
        QCOMPARE(int(BuildTimeline(tied, Sounding::InC).events.size()), 2);
    }

    // Rows and marks give the song back; the rows alone give the diatonic song an old reader sees.
    void rowsAndMarksBothWays()
    {
        const Song s = MarkedSong(QStringLiteral("送别"));
        const SongTableType rows = SongToRows(s, 4, QStringLiteral("20260101"));
        const SongMarkTable marks = SongToMarks(s, 4);
        QCOMPARE(int(marks.size()), 4);   // key, meter, ♯4, ♭7
        QCOMPARE(SongFromRows(rows, marks), s);
        QStringList refused;
        QCOMPARE(FittingMarks(rows, marks, refused), marks);
        QVERIFY(refused.isEmpty());

        Song diatonic = SongFromRows(rows);
        QCOMPARE(diatonic.header->timeCode, int(Meter::TwoFour));   // 6/8 nearest: felt in two
        QVERIFY(diatonic.header->key.IsC());
        QVERIFY(!diatonic.header->meter);
        for (const Cell& c : diatonic.cells)
            QCOMPARE(c.alter, 0);
        QCOMPARE(diatonic.cells.size(), s.cells.size());
        // A diatonic song in C needs no marks at all.
        QVERIFY(SongToMarks(diatonic, 4).empty());
    }

    void unfitMarksAreNamed_data()
    {
        QTest::addColumn<int>("seq");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("mark");
        QTest::addColumn<QString>("why");
        QTest::newRow("unknown") << 1 << "甲"
                                 << "glissando=1"
                                 << "不是本程序认识的记号";
        QTest::newRow("alter out of range") << 1 << "甲"
                                            << "alter=2"
                                            << "不是本程序认识的记号";
        QTest::newRow("natural is not stored") << 1 << "甲"
                                               << "alter=0"
                                               << "不是本程序认识的记号";
        QTest::newRow("no such key") << 0 << "甲"
                                     << "key=bF"
                                     << "不是本程序认识的记号";
        QTest::newRow("bad meter") << 0 << "甲"
                                   << "meter=7/5"
                                   << "不是本程序认识的记号";
        QTest::newRow("overlong") << 1 << "甲"
                                  << "alter=1" + QString(40, u' ') << "不是本程序认识的记号";
        QTest::newRow("record nowhere") << 9 << "甲"
                                        << "alter=1"
                                        << "歌曲中没有这一行";
        QTest::newRow("left by a deleted song") << 1 << "乙"
                                                << "alter=1"
                                                << "歌曲名称与这一行不符";
        QTest::newRow("alter on the header") << 0 << "甲"
                                             << "alter=1"
                                             << "与这一行的种类不符";
        QTest::newRow("key on a note") << 1 << "甲"
                                       << "key=G"
                                       << "与这一行的种类不符";
        QTest::newRow("alter on a rest") << 2 << "甲"
                                         << "alter=-1"
                                         << "与这一行的种类不符";
        QTest::newRow("alter on a bar line") << 3 << "甲"
                                             << "alter=1"
                                             << "与这一行的种类不符";
        QTest::newRow("twice on one note") << 1 << "甲"
                                           << "alter=-1"
                                           << "同一行已有这类记号";
    }
    void unfitMarksAreNamed()
    {
        QFETCH(int, seq);
        QFETCH(QString, name);
        QFETCH(QString, mark);
        QFETCH(QString, why);
        const SongTableType rows{Row(1, 0, "甲", "0"), Row(1, 1, "甲", "1"), Row(1, 2, "甲", "1", "0"),
                                 SongRecord{1, 3, "甲", "9", "0", "0", 2, "2", "20260101"}};
        const SongMarkTable good{{1, 1, "甲", "alter=1"}};
        SongMarkTable marks = good;
        marks.push_back({1, seq, name, mark});
        QStringList refused;
        QCOMPARE(FittingMarks(rows, marks, refused), good);
        QCOMPARE(refused.size(), 1);
        QVERIFY2(refused[0].contains(why) && refused[0].contains(QStringLiteral("SeqID 为 %1").arg(seq)),
                 qPrintable(refused[0]));
        // The song reads the good mark only.
        QCOMPARE(SongFromRows(rows, FittingMarks(rows, marks, refused)).cells[0].alter, 1);
    }

    // A song saved with marks: the program reads them back, a reader of TableCfg alone the
    // diatonic song; deleting the song takes its marks.
    void libraryKeepsMarksBesideTheTable()
    {
        newLibrary(SongToRows(Parse("1 2 3"), 1, "20260101"));
        {
            auto lib = load();
            QVERIFY(lib->Marks().empty());
            QCOMPARE(SongMarkTableState(lib->Connection()), MarkTableState::Missing);   // made when first needed
            const Song s = MarkedSong(QStringLiteral("送别"));
            const AddedSong added = AddSong(lib->Connection(), SongToRows(s, 9, "20260101"), s.Title(),
                                            QDate(2026, 1, 1), SongToMarks(s, 9));
            QCOMPARE(added.songId, 2);
            QString report;
            lib = load(&report);
            QVERIFY2(report.isEmpty(), qPrintable(report));
            QCOMPARE(lib->SongOf(2), s);
            QCOMPARE(lib->SongOf(1), Parse("1 2 3"));
            // The rows alone, as an older program reads them.
            Song plain = SongFromRows(ReadSong(lib->Connection(), 2));
            QVERIFY(plain.header->key.IsC());
            QCOMPARE(plain.cells[1].alter, 0);
            QCOMPARE(plain.header->timeCode, 0);
        }
        {
            TADOConnection c;
            c.SetTarget(file, Password());
            InTransaction(c, [&] { DeleteSongMarks(c, 2); });
            TADOQuery q;
            q.Open(c, "select count(*) as n from TableCfgMark", {});
            QCOMPARE(q.FieldAsInteger("n"), 0);
        }
    }

    // Marks an older program left behind when it deleted a song never reach the song that
    // takes its number.
    void staleMarksDoNotReachANewSong()
    {
        newLibrary(SongToRows(Parse("1 2 3"), 1, "20260101"));
        exec(SongMarkTableSchema());
        exec("insert into TableCfgMark values (2, 1, '旧歌', 'alter=1')");
        QString report;
        auto lib = load(&report);
        QVERIFY(report.contains(QStringLiteral("歌曲中没有这一行")));
        const Song plain = Parse("5 6 7");
        Song named = plain;
        named.header->title = QStringLiteral("新歌");
        QCOMPARE(AddSong(lib->Connection(), SongToRows(named, 2, "20260101"), named.Title(), QDate(2026, 1, 1)).songId,
                 2);
        lib = load(&report);
        QVERIFY2(report.isEmpty(), qPrintable(report));
        QCOMPARE(lib->SongOf(2).cells[0].alter, 0);
    }

    void hostileMarkTable_data()
    {
        QTest::addColumn<QStringList>("schema");
        QTest::addColumn<QString>("said");
        QTest::addColumn<bool>("writable");
        QTest::newRow("a view") << QStringList{"create view TableCfgMark as select 1 as SongID, 1 as SeqID, '甲' as "
                                               "SongName, 'alter=1' as Mark"}
                                << "不是普通的表" << false;
        QTest::newRow("a trigger on it")
            << QStringList{SongMarkTableSchema(),
                           "create trigger t after delete on TableCfgMark begin delete from TableCfg; end"}
            << "不是普通的表" << false;
        QTest::newRow("too many rows")
            << QStringList{SongMarkTableSchema(),
                           QStringLiteral("with recursive n(i) as (select 1 union all select i+1 from n where i<%1) "
                                          "insert into TableCfgMark select 1, 1, '甲', 'alter=1' from n")
                               .arg(LibraryMarkLimit + 1)}
            << "超过上限" << true;
        QTest::newRow("bad numbers") << QStringList{SongMarkTableSchema(),
                                                    "insert into TableCfgMark values ('x', 1, '甲', 'alter=1')"}
                                     << "不是整数" << true;
    }
    void hostileMarkTable()
    {
        QFETCH(QStringList, schema);
        QFETCH(QString, said);
        QFETCH(bool, writable);
        newLibrary({Row(1, 0, "甲", "0"), Row(1, 1, "甲", "1")});
        for (const QString& s : schema)
            exec(s);
        QString report;
        auto lib = load(&report);
        QVERIFY2(report.contains(said), qPrintable(report));
        QVERIFY(lib->Marks().empty());
        QCOMPARE(int(lib->Table().size()), 2);   // the songs load all the same
        // A song with marks cannot go into a table that is not ours; nothing of it stays.
        const Song s = MarkedSong(QStringLiteral("送别"));
        auto add = [&] {
            return AddSong(lib->Connection(), SongToRows(s, 2, "20260101"), s.Title(), QDate(2026, 1, 1),
                           SongToMarks(s, 2));
        };
        if (writable) {
            QCOMPARE(add().songId, 2);
        } else {
            QVERIFY_THROWS_EXCEPTION(TavoError, add());
            QCOMPARE(int(ReadSong(lib->Connection(), 2).size()), 0);
            QCOMPARE(int(ReadSong(lib->Connection(), 1).size()), 2);
        }
    }
};

QTEST_GUILESS_MAIN(TestSongMarks)
#include "test_song_marks.moc"
