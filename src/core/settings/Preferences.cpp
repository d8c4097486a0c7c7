#include "core/settings/Preferences.h"
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

void Preferences::Load(const QString& folder)
{
    m_folder = folder;
    if (m_folder.isEmpty())
        return;
    // A file from elsewhere may hold anything: only the known values are taken.
    QSettings s(FilePath(), QSettings::IniFormat);
    m_keyLetters = s.value(QStringLiteral("keyLetters"), m_keyLetters).toString() == QLatin1String("true");
    m_metronome = s.value(QStringLiteral("metronome"), m_metronome).toString() == QLatin1String("true");
    const QString voice = s.value(QStringLiteral("voice"), m_voice).toString();
    m_voice = voice == SampledVoice ? SampledVoice : StandardVoice;
    m_soundFont = s.value(QStringLiteral("soundFont")).toString().left(4096);
    m_sustain = s.value(QStringLiteral("sustain"), QStringLiteral("true")).toString() != QLatin1String("false");
    m_midiPort = s.value(QStringLiteral("midiPort")).toString().left(1024);
}

void Preferences::Save() const
{
    if (m_folder.isEmpty())
        return;
    QDir().mkpath(m_folder);
    QSettings s(FilePath(), QSettings::IniFormat);
    const auto text = [](bool b) { return b ? QStringLiteral("true") : QStringLiteral("false"); };
    s.setValue(QStringLiteral("keyLetters"), text(m_keyLetters));
    s.setValue(QStringLiteral("metronome"), text(m_metronome));
    s.setValue(QStringLiteral("voice"), m_voice);
    s.setValue(QStringLiteral("sustain"), text(m_sustain));
    if (m_soundFont.isEmpty())
        s.remove(QStringLiteral("soundFont"));
    else
        s.setValue(QStringLiteral("soundFont"), m_soundFont);
    if (m_midiPort.isEmpty())
        s.remove(QStringLiteral("midiPort"));
    else
        s.setValue(QStringLiteral("midiPort"), m_midiPort);
    s.sync();
}

void Preferences::SetKeyLetters(bool on) { m_keyLetters = on; Save(); }
void Preferences::SetMetronome(bool on) { m_metronome = on; Save(); }
void Preferences::SetVoice(const QString& voice)
{
    m_voice = voice == SampledVoice ? SampledVoice : StandardVoice;
    Save();
}
void Preferences::SetSoundFont(const QString& path) { m_soundFont = path; Save(); }
void Preferences::SetSustain(bool on) { m_sustain = on; Save(); }
void Preferences::SetMidiPort(const QString& port) { m_midiPort = port; Save(); }
