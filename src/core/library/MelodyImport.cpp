#include "core/library/MelodyImport.h"
#include "core/Errors.h"
#include "core/formats/Conversion.h"
#include "core/formats/MidiFile.h"
#include "core/formats/MusicXml.h"
#include <QDir>
#include <QFileInfo>

namespace {

enum class Kind { None, Midi, MusicXml };

Kind KindOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("mid") || suffix == QLatin1String("midi"))
        return Kind::Midi;
    if (suffix == QLatin1String("musicxml") || suffix == QLatin1String("xml") || suffix == QLatin1String("mxl"))
        return Kind::MusicXml;
    return Kind::None;
}

Melody ReadMelody(const QString& path)
{
    if (KindOf(path) == Kind::MusicXml)
        return ReadMusicXml(path);
    return ReadMidiFile(path);
}

} // namespace

QString MelodyFileFilters()
{
    QString filters;
    filters += QStringLiteral(";;MusicXML (*.musicxml *.xml *.mxl)");
    filters += QStringLiteral(";;MIDI (*.mid *.midi)");
    return filters;
}

bool IsMelodyFile(const QString& path)
{
    return KindOf(path) != Kind::None;
}

ShareResult ImportMelodyFile(TADOConnection& library, IDialogs& dialogs, const QDate& today, const QString& path)
{
    ShareResult result;
    result.file = path;
    ConvertedSong song;
    try {
        const Melody melody = ReadMelody(path);
        int part = LikelyMelodyPart(melody);
        if (melody.parts.size() > 1) {
            part = dialogs.ChooseItem(QStringLiteral("选择要导入的声部"), MelodyPartLabels(melody), part);
            if (part < 0 || part >= int(melody.parts.size()))
                return result;
        }
        try {
            song = ConvertMelody(melody, part, QFileInfo(path).completeBaseName(), today.toString(QStringLiteral("yyyyMMdd")));
        } catch (const TavoError& e) {
            Raise(QStringLiteral("无法导入 %1：%2").arg(QDir::toNativeSeparators(path), e.text()));
        }
    } catch (const TavoError& e) {
        dialogs.ShowError(e.text());
        result.outcome = ShareResult::Outcome::Refused;
        return result;
    }
    const QString title = song.song.Title();
    result.title = title;
    if (song.Cells() > ConvertedCellLimit) {
        if (!dialogs.AskYesNo(QStringLiteral("《%1》写成简谱有 %2 格，一首歌最多 %3 格。\r\n\r\n是否只导入前面放得下的小节？")
                                  .arg(title)
                                  .arg(song.Cells())
                                  .arg(ConvertedCellLimit)))
            return result;
        KeepFirstBars(song);
        song.summary += QStringLiteral("；只导入了前 %1 格").arg(song.Cells());
    }
    // The key, the meter and the signs go in beside the rows.
    return ImportSongRows(library, dialogs, today, song.Rows(), title, path, song.summary, SongToMarks(song.song, 1));
}
