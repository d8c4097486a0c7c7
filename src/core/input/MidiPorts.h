#pragma once
// The input ports of a MIDI system, and the table of the module that reads them through
// RtMidi. RtMidi with ALSA and JACK under it is opened with the module, when MIDI is first
// looked for, not at every start; the module needs nothing of ours but this header.
#include <QString>
#include <QStringList>
#include <cstddef>
#include <functional>

// The ports: RtMidi's, or a stand-in in tests.
class IMidiPorts {
public:
    // Called on whatever thread the system delivers on, with one whole message.
    using Receiver = std::function<void(const unsigned char* bytes, std::size_t size)>;
    virtual ~IMidiPorts() = default;
    // Throws a std::exception when the system does not answer.
    virtual QStringList Ports() = 0;
    virtual bool Open(const QString& port, Receiver receiver) = 0;
    virtual void Close(const QString& port) = 0;
};

struct TavoMidiApi {
    int version;   // TavoMidiApiVersion
    // The ports of the ALSA sequencer (system 0) or a JACK server (1); null when it cannot start.
    IMidiPorts* (*open)(int system);
};
using TavoMidiEntry = const TavoMidiApi* (*)();

constexpr int TavoMidiApiVersion = 1;
constexpr const char* TavoMidiEntryName = "tavo_midi_api";
