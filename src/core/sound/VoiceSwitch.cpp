#include "core/sound/VoiceSwitch.h"
#include "core/sound/SampledVoice.h"

bool VoiceSwitch::Sampled() const { return m_wantSampled && m_sampled.Ready(); }

// A press needs the device in either voice: it reopens a lost one, and a device back at
// another rate has the sampled voice made again (the built-in voice plays meanwhile).
bool VoiceSwitch::UseSampled()
{
    if (!m_wantSampled)
        return false;
    m_sampled.FollowRate(m_player.OutputRate());
    return m_sampled.Ready();
}

void VoiceSwitch::PressNote(const QString& note)
{
    if (!UseSampled())
        return m_player.PressNote(note);
    if (const int key = NoteKey(note); key >= 0)
        m_sampled.NoteOn(key, KeyVelocity);
}

void VoiceSwitch::ReleaseNote(const QString& note)
{
    if (!Sampled())
        return m_player.ReleaseNote(note);
    if (const int key = NoteKey(note); key >= 0 && !m_sustain)
        m_sampled.NoteOff(key);
}

void VoiceSwitch::PressKey(int key, int velocity)
{
    if (!UseSampled())
        return m_player.PressKey(key, velocity);
    m_sampled.NoteOn(key, velocity);
}

// A MIDI keyboard damps its own notes (and has its own pedal), whatever the sustain choice.
void VoiceSwitch::ReleaseKey(int key)
{
    if (Sampled())
        m_sampled.NoteOff(key);
}

void VoiceSwitch::Pedal(bool down)
{
    if (Sampled())
        m_sampled.Pedal(down);
}

void VoiceSwitch::ScheduleNote(const QString& note, std::uint64_t frame)
{
    if (!UseSampled())
        return m_player.ScheduleNote(note, frame);
    if (const int key = NoteKey(note); key >= 0)
        m_sampled.NoteOn(key, KeyVelocity, frame);
}

void VoiceSwitch::CancelScheduled()
{
    m_player.CancelScheduled();
    m_sampled.CancelScheduled();
}
