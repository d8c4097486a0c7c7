#pragma once
// MIDI keyboards: every input port of the MIDI system is opened, ports that come and go are
// followed by polling, and each note goes into the same note path as the PC keys.
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <cstddef>
#include <functional>
#include <memory>

class IDialogs;
class INoteInput;

// The input ports of a MIDI system: RtMidi, or a stand-in in tests.
class IMidiPorts {
public:
    // Called on whatever thread the system delivers on, with one whole message.
    using Receiver = std::function<void(const unsigned char* bytes, std::size_t size)>;
    virtual ~IMidiPorts() = default;
    virtual QStringList Ports() = 0;
    virtual bool Open(const QString& port, Receiver receiver) = 0;
    virtual void Close(const QString& port) = 0;
};

struct MidiMessage {
    enum Kind { None, NoteOn, NoteOff, Pedal } kind = None;
    int key = 0;
    int value = 0;   // velocity; for the pedal 127 down, 0 up
};
// Any channel; a note-on of velocity 0 is a note-off; only controller 64 of the controllers.
MidiMessage DecodeMidi(const unsigned char* bytes, std::size_t size);

class MidiInput final : public QObject {
    Q_OBJECT
public:
    static constexpr int PollMs = 1000;   // a keyboard plugged in is playing within two polls

    // ports may be null (no MIDI system): then nothing happens at all. A note that fails to
    // sound is reported through dialogs, as a PC key's is.
    MidiInput(std::unique_ptr<IMidiPorts> ports, INoteInput& notes, IDialogs& dialogs, QObject* parent = nullptr);
    ~MidiInput() override;

    // The MIDI system of this machine: the ALSA sequencer, else a running JACK server; null,
    // after one line on stderr, when there is neither.
    static std::unique_ptr<IMidiPorts> SystemPorts();
    enum class Api { Alsa, Jack };
    // That system through RtMidi, whether or not it looks present; null when it cannot start.
    static std::unique_ptr<IMidiPorts> Ports(Api api);

    // Opens the ports that appeared, lets go of those that went. The timer calls it.
    void Poll();
    QStringList OpenPorts() const { return m_open; }

private:
    void Deliver(const MidiMessage& m);

    std::unique_ptr<IMidiPorts> m_ports;
    INoteInput& m_notes;
    IDialogs& m_dialogs;
    QStringList m_open;
    QTimer m_timer;
};
