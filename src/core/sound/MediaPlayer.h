#pragma once
#include <QString>
#include <cstdint>
#include <memory>

struct SoundData;
class AudioOutput;
class SampleCache;

// One of the three players of the sound-engine form: holds at most one open sound.
class TMediaPlayer {
public:
    TMediaPlayer(int number, AudioOutput& output, SampleCache& samples);
    ~TMediaPlayer();
    TMediaPlayer(const TMediaPlayer&) = delete;
    TMediaPlayer& operator=(const TMediaPlayer&) = delete;

    int Number() const { return m_number; }          // 1..3
    const QString& FileName() const { return m_fileName; }
    void SetFileName(const QString& file) { m_fileName = file; }
    // Closes what was open (cutting its sound), then takes FileName's sound from the cache
    // (which reads the file only when it changed).
    // Throws a TavoError naming the path and the reason when it cannot.
    void Open();
    // Takes FileName's sound like Open, but what the player sounds now rings on until
    // the next start (for a note queued ahead).
    void Load();
    void Play(float gain = 1.0f);                    // starts from the beginning, returns at once
    // Starts the open sound at output frame `frame` (Mixer::StartAt); false when nothing
    // was queued.
    bool PlayAt(std::uint64_t frame);
    void Close();
    bool IsOpen() const { return m_open; }
    int PlayCount() const { return m_playCount; }    // notes started on this player
    // The decoded sound while open (null when closed).
    const SoundData* Sound() const { return m_sound.get(); }

private:
    int m_number;
    AudioOutput& m_output;
    SampleCache& m_samples;
    QString m_fileName;
    bool m_open = false;
    int m_playCount = 0;
    std::shared_ptr<const SoundData> m_sound;
};
