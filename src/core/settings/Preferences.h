#pragma once
// The user's own choices that the settings files do not hold: preferences.conf in the
// per-user config folder, an ini file under [General]. Read once, written at each change.
#include <QString>
#include <functional>

class Preferences {
public:
    // folder: where preferences.conf lives; empty keeps everything in memory (defaults).
    explicit Preferences(QString folder = {});
    // Empty, or a message when the file is there but cannot be used (a pipe, too large):
    // the choices then stay as they were.
    QString Load(const QString& folder);
    // Who hears that a choice could not be written (it still holds until the program ends).
    void OnSaveFailed(std::function<void(const QString&)> failed);

    QString FilePath() const;

    bool KeyLetters() const { return m_keyLetters; }     // PC key letters on every key
    void SetKeyLetters(bool on);
    bool Metronome() const { return m_metronome; }       // a click on every beat in 示范 and 节奏
    void SetMetronome(bool on);
    bool SongKeySound() const { return m_songKeySound; }   // practice sounds the song's key, not 1 as C
    void SetSongKeySound(bool on);
    QString Voice() const { return m_voice; }            // "standard" or "sampled"
    void SetVoice(const QString& voice);
    QString SoundFont() const { return m_soundFont; }    // a SoundFont the user picked; empty: none
    void SetSoundFont(const QString& path);
    bool Sustain() const { return m_sustain; }           // sampled notes ring to their natural end
    void SetSustain(bool on);
    QString MidiPort() const { return m_midiPort; }      // the MIDI input that plays: empty every port
    void SetMidiPort(const QString& port);

    static inline const QString StandardVoice = QStringLiteral("standard");
    static inline const QString SampledVoice = QStringLiteral("sampled");

private:
    void Save() const;

    QString m_folder;
    std::function<void(const QString&)> m_saveFailed;
    bool m_keyLetters = true;   // a new user sees the letters
    bool m_metronome = false;
    bool m_songKeySound = false;
    QString m_voice = StandardVoice;
    QString m_soundFont;
    bool m_sustain = true;
    QString m_midiPort;
};
