#pragma once
// The audio output of a note player: an SDL device at the device's own rate, fed by the
// player's mixer. Opened on first use; closed when the object goes.
#include "core/sound/Mixer.h"
#include <QtGlobal>
#include <cstdint>
#include <memory>

class AudioOutput {
public:
    AudioOutput();
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    // The mixer every media player of this output feeds.
    Mixer& GetMixer() { return m_mixer; }
    // Opens the device when it is not open yet. Without a usable device the notes are silent:
    // one line goes to stderr per failure streak, and the device is tried again at a later
    // note, at most once a second. A lost device is closed and tried again the same way.
    bool EnsureOpen();
    // The same with the caller's clock in milliseconds (tests step it).
    bool EnsureOpenAt(qint64 nowMs);
    bool IsOpen() const;
    int DeviceRate() const;      // 0 while closed
    int DeviceFrames() const;    // frames per callback, 0 while closed
    // The output clock, in frames of the mixer's count (Mixer::StartAt): the frame heard
    // now, estimated from the last callback (its first frame, plus the time since, less
    // the period queued ahead of it). Without a device it is the count of frames rendered,
    // for whoever renders by hand, at the rate they render.
    std::uint64_t OutputFrame() const;
    int OutputRate() const;      // frames per second of that clock; 0 when nothing renders
    // Tests render the mixer themselves: with the device not allowed it is closed (if open)
    // and stays closed, so nothing else renders at the same time.
    void SetDeviceAllowed(bool allowed);
    // Closes the device and releases the audio subsystem; the mixer keeps taking notes.
    void Shutdown();

    struct Device;

private:
    Mixer m_mixer;                    // declared first: it outlives the device that reads it
    std::unique_ptr<Device> m_device;
};
