#include "core/settings/Preferences.h"
#include "core/files/FileOps.h"
#include <QDir>
#include <QSettings>

namespace {
const QString FileName = QStringLiteral("preferences.conf");
}

Preferences::Preferences(QString folder) { Load(folder); }

QString Preferences::FilePath() const
{
    return m_folder.isEmpty() ? QString() : QDir(m_folder).filePath(FileName);
}

namespace {
// A value as QSettings reads it back: quoted, with its backslashes and quotes escaped.
QString IniValue(const QString& value)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : value) {
        if (c == u'\\' || c == u'"')
            out += u'\\';
        if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else if (c == u'\t')
            out += QStringLiteral("\\t");
        else if (c.unicode() >= 0x20)
            out += c;
    }
    return out + u'"';
}
}

QString Preferences::Load(const QString& folder)
{
    m_folder = folder;
    if (m_folder.isEmpty())
        return {};
    // QSettings would wait on a pipe and read a file of any size whole: it gets only a
    // small regular file.
    const FileRead read = ReadFileBounded(FilePath(), SettingsFileLimit);
    if (!read.ok())
        return read.fault == FileRead::Fault::Missing
                   ? QString()
                   : QStringLiteral("设置文件“%1”无法读取：%2。这次用默认设置。")
                         .arg(QDir::toNativeSeparators(FilePath()), read.reason);
    // A file from elsewhere may hold anything: only the known values are taken.
    QSettings s(FilePath(), QSettings::IniFormat);
    m_keyLetters = s.value(QStringLiteral("keyLetters"), m_keyLetters).toString() == QLatin1String("true");
    m_metronome = s.value(QStringLiteral("metronome"), m_metronome).toString() == QLatin1String("true");
    m_songKeySound = s.value(QStringLiteral("songKeySound"), m_songKeySound).toString() == QLatin1String("true");
    const QString voice = s.value(QStringLiteral("voice"), m_voice).toString();
    m_voice = voice == SampledVoice ? SampledVoice : StandardVoice;
    m_soundFont = s.value(QStringLiteral("soundFont")).toString().left(4096);
    m_sustain = s.value(QStringLiteral("sustain"), QStringLiteral("true")).toString() != QLatin1String("false");
    m_midiPort = s.value(QStringLiteral("midiPort")).toString().left(1024);
    return {};
}

void Preferences::OnSaveFailed(std::function<void(const QString&)> failed)
{
    m_saveFailed = std::move(failed);
}

void Preferences::Save() const
{
    if (m_folder.isEmpty())
        return;
    QDir().mkpath(m_folder);
    // Written as QSettings writes its ini files, through a checked temporary: a full disk
    // keeps the old choices.
    const auto text = [](bool b) { return b ? QStringLiteral("true") : QStringLiteral("false"); };
    QString ini = QStringLiteral("[General]\n");
    ini += QStringLiteral("keyLetters=") + text(m_keyLetters) + u'\n';
    if (!m_midiPort.isEmpty())
        ini += QStringLiteral("midiPort=") + IniValue(m_midiPort) + u'\n';
    ini += QStringLiteral("metronome=") + text(m_metronome) + u'\n';
    if (!m_soundFont.isEmpty())
        ini += QStringLiteral("soundFont=") + IniValue(m_soundFont) + u'\n';
    ini += QStringLiteral("songKeySound=") + text(m_songKeySound) + u'\n';
    ini += QStringLiteral("sustain=") + text(m_sustain) + u'\n';
    ini += QStringLiteral("voice=") + m_voice + u'\n';
    try {
        WriteWholeFile(FilePath(), ini.toUtf8());
    } catch (const TavoError& e) {
        if (m_saveFailed)
            m_saveFailed(e.text());
        else
            qWarning("%s", e.what());
    }
}

void Preferences::SetKeyLetters(bool on) { m_keyLetters = on; Save(); }
void Preferences::SetMetronome(bool on) { m_metronome = on; Save(); }
void Preferences::SetSongKeySound(bool on)
{
    m_songKeySound = on;
    Save();
}
void Preferences::SetVoice(const QString& voice)
{
    m_voice = voice == SampledVoice ? SampledVoice : StandardVoice;
    Save();
}
void Preferences::SetSoundFont(const QString& path) { m_soundFont = path; Save(); }
void Preferences::SetSustain(bool on) { m_sustain = on; Save(); }
void Preferences::SetMidiPort(const QString& port) { m_midiPort = port; Save(); }
