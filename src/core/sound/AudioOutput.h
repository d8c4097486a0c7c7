#pragma once
// The one audio output of the program: an SDL device at the device's own rate, fed
// by the shared mixer. Opened on first use; closed at exit.
#include <QtGlobal>

class Mixer;

namespace AudioOutput {
// The mixer every media player feeds.
Mixer& SharedMixer();
// Opens the device when it is not open yet. Without a usable device the notes are silent:
// one line goes to stderr per failure streak, and the device is tried again at a later
// note, at most once a second. A lost device is closed and tried again the same way.
bool EnsureOpen();
// The same with the caller's clock in milliseconds (tests step it).
bool EnsureOpenAt(qint64 nowMs);
bool IsOpen();
int DeviceRate();      // 0 while closed
int DeviceFrames();    // frames per callback, 0 while closed
// Tests render the shared mixer themselves: with the device not allowed it is closed
// (if open) and stays closed, so nothing else renders at the same time.
void SetDeviceAllowed(bool allowed);
// Closes the device and releases the audio subsystem; the mixer keeps taking notes.
void Shutdown();
}
