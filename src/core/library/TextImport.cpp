#include "core/library/TextImport.h"
#include "core/files/FileOps.h"
#include "core/formats/JianpuText.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace {
// A file larger than the longest text the parser reads is no song's text.
constexpr qint64 MaxTextBytes = Jianpu::MaxTextChars;

ShareResult Refuse(IDialogs& dialogs, const QString& message, ShareResult result)
{
    dialogs.ShowError(message);
    result.outcome = ShareResult::Outcome::Refused;
    return result;
}
}

QString DecodeSongText(const QByteArray& bytes)
{
    QByteArrayView data(bytes);
    // Notepad's "Unicode" is UTF-16 with its mark.
    if (data.startsWith("\xFF\xFE") || data.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(data.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                             QStringDecoder::Flag::Stateless);
        return utf16.decode(data.sliced(2));
    }
    if (data.startsWith("\xEF\xBB\xBF"))
        data = data.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(data);
    if (!utf8.hasError())
        return text;
    QStringDecoder gbk("GBK");
    return gbk.isValid() ? QString(gbk.decode(data)) : text;
}

bool MostlyUndecodable(const QString& text)
{
    qsizetype shown = 0, broken = 0;
    for (const QChar c : text) {
        if (c.isSpace())
            continue;
        ++shown;
        // GBK reads the bytes it has no character for as private-use characters.
        const QChar::Category kind = c.category();
        if (c == QChar::ReplacementCharacter || kind == QChar::Other_Control || kind == QChar::Other_PrivateUse)
            ++broken;
    }
    return broken * 2 > shown;
}

ShareResult ImportJianpuFile(TADOConnection& library, IDialogs& dialogs, const QDate& today, const QString& path)
{
    ShareResult result;
    result.file = path;
    const QString name = QDir::toNativeSeparators(path);
    const FileRead read = ReadFileBounded(path, MaxTextBytes);
    if (read.fault == FileRead::Fault::TooLarge)
        return Refuse(dialogs, QStringLiteral("文件 %1 太大（超过 2 MB），不是一首歌的简谱文本。").arg(name), result);
    if (!read.ok())
        return Refuse(dialogs, QStringLiteral("无法读取文件 %1：%2").arg(name, read.reason), result);
    const QByteArray& bytes = read.bytes;

    const QString text = DecodeSongText(bytes);
    if (MostlyUndecodable(text))
        return Refuse(dialogs, QStringLiteral("文件 %1 大部分无法读成文字，不是简谱文本。").arg(name),
                      result);
    JianpuParse parse = ParseJianpu(text, JianpuOptions{JianpuMode::Paste, today.toString(QStringLiteral("yyyyMMdd")), 1});
    if (!parse.ok())
        return Refuse(dialogs, QStringLiteral("简谱文本 %1 有错：\n%2").arg(name, parse.error->text()), result);
    JianpuSong& song = parse.songs.at(0);
    if (song.cells() == 0)
        return Refuse(dialogs, QStringLiteral("简谱文本 %1 里没有音符。").arg(name), result);
    if (!song.titleGiven) {
        song.title = StorableText(QFileInfo(path).completeBaseName(), Score::TitleBytes);
        song.song.header->title = song.title;
    }
    if (song.title.isEmpty())
        return Refuse(dialogs, QStringLiteral("简谱文本 %1 没有歌名。").arg(name), result);
    return ImportSongRows(library, dialogs, today, song.Rows(), song.title, path, parse.warnings.join(u'\n'),
                          SongToMarks(song.song, song.songID));
}
