#pragma once
// The note player: three media players taking turns, so up to three notes ring at once.
#include "core/sound/AudioOutput.h"
#include "core/sound/Voices.h"
#include <QString>
#include <Qt>
#include <array>
#include <memory>

class TMediaPlayer;

// What every keyboard sends: a named note pressed and released. An empty or unknown
// name still counts as a press (it uses up a player's turn) but sounds nothing.
class INoteInput {
public:
    virtual ~INoteInput() = default;
    virtual void PressNote(const QString& note) = 0;
    virtual void ReleaseNote(const QString& note) = 0;
};

class NotePlayer final : public INoteInput {
public:
    NotePlayer();
    ~NotePlayer() override;
    NotePlayer(const NotePlayer&) = delete;
    NotePlayer& operator=(const NotePlayer&) = delete;

    // Where the sound files are and which voice plays; set by the start-up sequence.
    void SetSounds(const QString& tempDir, const VoiceTable& voice);
    const QString& TempDir() const { return m_tempDir; }
    const VoiceTable& Voice() const { return m_voice; }

    // Advances the turn, then has that player open tempDir + voice[slot] + ".dat" and play.
    void PlayNote(const QString& name, const VoiceTable& voice);
    // The second keyboard's keys: the engine map picks the note (or none).
    void PlayPcKey(int key, Qt::KeyboardModifiers modifiers);

    void PressNote(const QString& note) override { PlayNote(note, m_voice); }
    void ReleaseNote(const QString&) override {}

    int PlayerTurn() const { return m_turn; }       // 0 before the first note, then 1..3
    TMediaPlayer* Player(int turn) const;            // 1..3, nullptr otherwise
    AudioOutput& Audio() { return m_audio; }

private:
    AudioOutput m_audio;   // declared first: the players stop their voices before it goes
    std::array<std::unique_ptr<TMediaPlayer>, 3> m_players;
    int m_turn = 0;
    QString m_tempDir;
    VoiceTable m_voice;
};
