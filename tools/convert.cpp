// Imports MIDI or MusicXML files the way the score panel's 导入 does, into a throwaway
// library, and prints what the user would get: the parts offered, the one preselected,
// the note shown before the import and the song as numbered-notation text.
// tools/score_conversion.py reads this output.
#include "core/Dialogs.h"
#include "core/Errors.h"
#include "core/formats/JianpuText.h"
#include "core/library/Database.h"
#include "core/library/SongRows.h"
#include "core/library/MelodyImport.h"
#include "core/library/SongMarks.h"
#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>

namespace {

// Takes every default (the preselected part unless one is asked for), yes to every question.
class TakeDefaults : public IDialogs {
public:
    explicit TakeDefaults(int part) : m_part(part) {}
    QStringList errors, questions, parts;
    int preselected = -1;
    void ShowError(const QString& t) override { errors << t; }
    void ShowInfo(const QString&) override {}
    bool AskYesNo(const QString& t) override
    {
        questions << t;
        return true;
    }
    bool AskYesNo(const QString& t, const QString&) override { return AskYesNo(t); }
    QString OpenFile(const QString&, const QString&) override { return {}; }
    QString SaveFile(const QString&, const QString&, const QString&) override { return {}; }
    int ChooseItem(const QString&, const QStringList& items, int pre) override
    {
        parts = items;
        preselected = pre;
        return m_part >= 0 ? m_part : pre;
    }

private:
    int m_part;
};

QString OneLine(QString s)
{
    return s.replace(QStringLiteral("\r\n"), QStringLiteral(" / ")).replace(u'\n', u' ');
}

void Print(const QString& s)
{
    std::fputs(s.toUtf8().constData(), stdout);
}

bool Convert(const QString& path, const QString& workDir, int part)
{
    const QString libFile = workDir + QStringLiteral("/lib.dat");
    QFile::remove(libFile);
    CreateSongDatabase(libFile, QStringLiteral("pw"), {});
    TADOConnection lib;
    lib.SetTarget(libFile, QStringLiteral("pw"));
    TakeDefaults dialogs(part);
    const ShareResult r = ImportMelodyFile(lib, dialogs, QDate(2026, 1, 1), path);

    Print(QStringLiteral("file: %1\n").arg(path));
    for (int i = 0; i < dialogs.parts.size(); ++i)
        Print(QStringLiteral("part: %1 %2\n").arg(i).arg(dialogs.parts.at(i)));
    Print(QStringLiteral("preselected: %1\n").arg(dialogs.preselected));
    for (const QString& q : dialogs.questions)
        Print(QStringLiteral("asked: %1\n").arg(OneLine(q)));
    for (const QString& e : dialogs.errors)
        Print(QStringLiteral("error: %1\n").arg(OneLine(e)));
    bool ok = false;
    if (r.outcome == ShareResult::Outcome::Done) {
        const SongTableType rows = ReadSong(lib, r.songId);
        const SongMarkTable marks = ReadSongMarks(lib, rows, r.songId);
        Print(QStringLiteral("text:\n") + WriteJianpu(SongFromRows(rows, marks)) + QStringLiteral("\n"));
        ok = !rows.empty();
    }
    Print(QStringLiteral("end\n"));
    lib.Close();
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList files = app.arguments().mid(1);
    int part = -1;   // the preselected one
    if (files.size() >= 2 && files.front() == QLatin1String("--part")) {
        bool ok = false;
        part = files.at(1).toInt(&ok);
        if (!ok || part < 0)
            part = -2;
        files = files.mid(2);
    }
    if (files.isEmpty() || part == -2) {
        std::fprintf(stderr, "usage: tavo_convert [--part N] <file.mid|.musicxml|.mxl>...\n");
        return 2;
    }
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 2;
    }
    int failed = 0;
    for (const QString& f : files) {
        try {
            failed += !Convert(f, dir.path(), part);
        } catch (const TavoError& e) {
            Print(QStringLiteral("file: %1\nerror: %2\nend\n").arg(f, OneLine(e.text())));
            ++failed;
        }
    }
    return failed ? 1 : 0;
}
