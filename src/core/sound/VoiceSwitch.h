#pragma once
// Plays every note in the chosen voice: the built-in samples through the three players, or
// the sampled piano once it is loaded (until then the built-in voice plays on).
#include "core/sound/NotePlayer.h"

class IKeyVoice;

class VoiceSwitch final : public INoteInput, public INoteScheduler {
public:
    static constexpr int KeyVelocity = 96;   // a PC key or a click has no velocity of its own

    VoiceSwitch(NotePlayer& player, IKeyVoice& sampled) : m_player(player), m_sampled(sampled) {}

    void SetSampled(bool on) { m_wantSampled = on; }
    bool WantsSampled() const { return m_wantSampled; }
    bool Sampled() const;                    // chosen and ready
    // With sustain the releases of PC keys, clicks and the demo let a sampled note ring on.
    void SetSustain(bool on) { m_sustain = on; }

    void PressNote(const QString& note) override;
    void ReleaseNote(const QString& note) override;
    void PressKey(int key, int velocity) override;
    void ReleaseKey(int key) override;
    void Pedal(bool down) override;

    int OutputRate() override { return m_player.OutputRate(); }
    std::uint64_t OutputFrame() override { return m_player.OutputFrame(); }
    void ScheduleNote(const QString& note, std::uint64_t frame) override;
    // Clicks sound through the mixer's own click voice, whichever voice plays the notes.
    void ScheduleClick(std::uint64_t frame, bool accent) override { m_player.ScheduleClick(frame, accent); }
    void CancelScheduled() override;

private:
    bool UseSampled();

    NotePlayer& m_player;
    IKeyVoice& m_sampled;
    bool m_wantSampled = false;
    bool m_sustain = true;
};
