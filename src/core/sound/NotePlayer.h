#pragma once
// The note player: three media players taking turns, so up to three notes ring at once.
#include "core/sound/AudioOutput.h"
#include "core/sound/SampleCache.h"
#include "core/sound/Voices.h"
#include <QString>
#include <Qt>
#include <array>
#include <cstdint>
#include <memory>
#include <thread>

class TMediaPlayer;

// What every keyboard sends: a named note pressed and released. An empty or unknown
// name still counts as a press (it uses up a player's turn) but sounds nothing.
class INoteInput {
public:
    virtual ~INoteInput() = default;
    virtual void PressNote(const QString& note) = 0;
    virtual void ReleaseNote(const QString& note) = 0;
    // A MIDI keyboard: key 0..127 (60 is c1) at velocity 1..127, its release, the sustain pedal.
    virtual void PressKey(int key, int velocity) = 0;
    virtual void ReleaseKey(int key) = 0;
    virtual void Pedal(bool down) = 0;
};


// Notes started ahead of time on an output clock of frames (what the demo plays through).
class INoteScheduler {
public:
    virtual ~INoteScheduler() = default;
    // Frames per second of the output clock; 0 when nothing plays the output.
    virtual int OutputRate() = 0;
    // The frame heard now.
    virtual std::uint64_t OutputFrame() = 0;
    // Plays the note at that frame; an empty or unknown name sounds nothing.
    virtual void ScheduleNote(const QString& note, std::uint64_t frame) = 0;
    // A metronome click at that frame (accent: the first beat of a bar).
    virtual void ScheduleClick(std::uint64_t frame, bool accent) = 0;
    // Drops every note and click scheduled that has not sounded yet.
    virtual void CancelScheduled() = 0;
};

class NotePlayer final : public INoteInput, public INoteScheduler {
public:
    NotePlayer();
    ~NotePlayer() override;
    NotePlayer(const NotePlayer&) = delete;
    NotePlayer& operator=(const NotePlayer&) = delete;

    // Where the sound files are and which voice plays; set by the start-up sequence.
    void SetSounds(const QString& tempDir, const VoiceTable& voice);
    // The resampler, the metronome's clicks and the sound library (on a worker), made once
    // the window is up rather than while it is built; whatever needs them first makes them
    // otherwise, or waits for the worker.
    void Prepare();
    const QString& TempDir() const { return m_tempDir; }
    const VoiceTable& Voice() const { return m_voice; }

    // Advances the turn, then has that player open tempDir + voice[slot] + ".dat" and play.
    void PlayNote(const QString& name, const VoiceTable& voice);
    // A MIDI key in the same rotation: the sample of its slot (key - FirstSlotKey), louder
    // or softer by velocity (96, a PC key's, plays as loud as a PC key); a slot beyond the
    // table plays the same pitch class, octaves in, rather than nothing.
    void PlaySlot(int slot, int velocity = 96);
    // The slot in range of the same pitch class nearest to `slot`; -1 for an empty table.
    static int FoldSlot(int slot, int count);

    // The same rotation for a note that starts at output frame `frame`: the player reads its
    // file now, and what it sounds rings on until that frame.
    void ScheduleNote(const QString& note, std::uint64_t frame) override;
    void ScheduleClick(std::uint64_t frame, bool accent) override;
    void CancelScheduled() override;
    int OutputRate() override;
    std::uint64_t OutputFrame() override { return m_audio.OutputFrame(); }

    void PressNote(const QString& note) override { PlayNote(note, m_voice); }
    void ReleaseNote(const QString&) override {}
    void PressKey(int key, int velocity) override { PlaySlot(key - FirstSlotKey, velocity); }
    void ReleaseKey(int) override {}
    void Pedal(bool) override {}   // the built-in samples ring their own length

    int PlayerTurn() const { return m_turn; }       // 0 before the first note, then 1..3
    TMediaPlayer* Player(int turn) const;            // 1..3, nullptr otherwise
    AudioOutput& Audio() { return m_audio; }
    // The decoded sounds every player takes its notes from.
    SampleCache& Samples() { return m_samples; }

private:
    TMediaPlayer* NextPlayer(int slot, const VoiceTable& voice);
    void EnsureClicks();

    AudioOutput m_audio;   // declared first: the players stop their voices before it goes
    SampleCache m_samples;
    std::array<std::unique_ptr<TMediaPlayer>, 3> m_players;
    std::array<std::shared_ptr<const SoundData>, 2> m_clicks;   // made by Prepare
    int m_turn = 0;
    QString m_tempDir;
    VoiceTable m_voice;
    std::thread m_preparing;
};
