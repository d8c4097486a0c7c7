// A 1,000-note MIDI file of two tracks: read, the melody chosen and written as numbered
// notation; then the whole 导入 into a library; then the stored song written back as
// MIDI. Prints medians beside their goals.
#include "BenchDialogs.h"
#include "core/formats/Conversion.h"
#include "BenchSupport.h"
#include "core/formats/MidiFile.h"
#include "core/library/Database.h"
#include "core/library/SongRows.h"
#include "core/library/Exchange.h"
#include "core/library/SongLibrary.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {
void Put(QByteArray& out, quint32 v, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.append(char((v >> (8 * i)) & 0xff));
}

void PutNumber(QByteArray& out, quint32 v)
{
    QByteArray b(1, char(v & 0x7f));
    while (v >>= 7)
        b.prepend(char((v & 0x7f) | 0x80));
    out += b;
}

// 1,000 melody notes in G (eighths, quarters, a few triplets) over 1,000 bass notes.
QByteArray ThousandNotes()
{
    QRandomGenerator rng(1000);
    static const int scale[] = {67, 69, 71, 72, 74, 76, 78, 79, 81, 83};
    auto track = [&](bool melody) {
        QByteArray e;
        PutNumber(e, 0);
        e += QByteArray::fromHex(melody ? "ff0306" : "ff0304") + (melody ? "Melody" : "Bass");
        int pitch = 4;
        for (int n = 0; n < 1000; ++n) {
            const int len = melody ? QList<int>{240, 480, 480, 160}[int(rng.bounded(4))] : 480;
            pitch = std::clamp(pitch + int(rng.bounded(5)) - 2, 0, 9);
            const int p = melody ? scale[pitch] : 43 + int(rng.bounded(12));
            PutNumber(e, 0);
            e += char(0x90);
            e += char(p);
            e += char(80);
            PutNumber(e, quint32(len));
            e += char(0x80);
            e += char(p);
            e += char(0);
        }
        PutNumber(e, 0);
        e += QByteArray::fromHex("ff2f00");
        QByteArray t("MTrk");
        Put(t, quint32(e.size()), 4);
        return t + e;
    };
    QByteArray f("MThd");
    Put(f, 6, 4);
    Put(f, 1, 2);
    Put(f, 3, 2);
    Put(f, 480, 2);
    QByteArray conductor = QByteArray::fromHex("00ff58040402180800ff5902010000ff2f00");
    f += "MTrk";
    Put(f, quint32(conductor.size()), 4);
    return f + conductor + track(false) + track(true);
}
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString midi = dir.filePath(QStringLiteral("千音.mid"));
    {
        QFile f(midi);
        f.open(QIODevice::WriteOnly);
        f.write(ThousandNotes());
    }
    const QString libFile = dir.filePath(QStringLiteral("Opern.dat"));
    CreateSongDatabase(libFile, QStringLiteral("pw"), {});
    TADOConnection lib;
    lib.SetTarget(libFile, QStringLiteral("pw"));

    constexpr int runs = 15;
    std::vector<double> convertMs, importMs, exportMs;
    QString summary;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        const Melody m = ReadMidiFile(midi);
        ConvertedSong song = ConvertMelody(m, LikelyMelodyPart(m), QStringLiteral("千音"), QStringLiteral("20260101"));
        KeepFirstBars(song);
        convertMs.push_back(t.nsecsElapsed() / 1e6);
        summary = song.summary;
    }
    YesDialogs ui;
    ui.file = midi;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        const ShareResult in = ImportSongFile(lib, ui, QDate(2026, 1, 1));
        importMs.push_back(t.nsecsElapsed() / 1e6);
        if (!in.done()) {
            std::fprintf(stderr, "import failed\n");
            return 1;
        }
        if (i + 1 < runs)
            TADOQuery().Exec(lib, QStringLiteral("delete from TableCfg"), {});
    }
    SongLibrary library;
    const SongTableType table = ReadSong(lib, 1);
    const QString out = dir.filePath(QStringLiteral("out.mid"));
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        WriteMidiFile(out, SongFromTable(table, 1), 90, QStringLiteral("千音"));
        exportMs.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("1,000-note MIDI (2 tracks), %zu rows stored; %s\n", table.size(), qPrintable(summary));
    std::printf("read + melody choice + conversion: %.2f ms median   (goal < 100 ms)\n", Median(convertMs));
    std::printf("whole 导入 into the library:        %.2f ms median   (goal < 100 ms)\n", Median(importMs));
    std::printf("export as MIDI:                     %.2f ms median   (goal < 200 ms)\n", Median(exportMs));
    return 0;
}
