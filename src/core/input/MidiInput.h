#pragma once
// MIDI keyboards: every input port of the MIDI system is opened, ports that come and go are
// followed by polling, and each note goes into the same note path as the PC keys.
#include "core/input/MidiPorts.h"
#include "core/platform/LateLibrary.h"
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <cstddef>
#include <functional>
#include <memory>

class IDialogs;
class INoteInput;

// A MIDI system found: its ports, and how to tell it is still there (a JACK server may stop).
struct MidiSystem {
    std::unique_ptr<IMidiPorts> ports;
    std::function<bool()> present;   // empty: for as long as the program runs
};
// Ports of a system that may come later: `find` is asked at every look until it gives one,
// and again once the one it gave is gone. Until then there are no ports.
std::unique_ptr<IMidiPorts> LateMidiPorts(std::function<MidiSystem()> find);

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
    // sound is reported through dialogs, as a PC key's is. choice: as SetChoice.
    MidiInput(std::unique_ptr<IMidiPorts> ports, INoteInput& notes, IDialogs& dialogs, QString choice = {},
              QObject* parent = nullptr);
    ~MidiInput() override;

    // The MIDI system of this machine: the ALSA sequencer, else a JACK server, also one that
    // starts later (one line on stderr while there is neither).
    static std::unique_ptr<IMidiPorts> SystemPorts();
    enum class Api { Alsa, Jack };
    // That system through the MIDI module, whether or not it looks present; null when it cannot
    // start, or when the module is not in `moduleFolders` (then `why` says so).
    static std::unique_ptr<IMidiPorts> Ports(Api api, const QStringList& moduleFolders = LateLibrary::ModuleFolders(),
                                             QString* why = nullptr);

    // Opens the ports that appeared, lets go of those that went. The timer calls it.
    void Poll();
    QStringList OpenPorts() const { return m_open; }
    QStringList FoundPorts() const { return m_found; }   // every input port at the last look

    // Which ports play: every port (empty), none (NoPort) or the one of that name.
    static inline const QString NoPort = QStringLiteral("none");   // a port's name always has a ':'
    void SetChoice(const QString& choice);
    QString Choice() const { return m_choice; }

Q_SIGNALS:
    // The ports found or open changed.
    void portsChanged();
    // A key of a MIDI keyboard went down or up (key 0..127), before it sounds.
    void keyChanged(int key, bool down);

private:
    void Deliver(const MidiMessage& m);
    bool Wanted(const QString& port) const;

    std::unique_ptr<IMidiPorts> m_ports;
    INoteInput& m_notes;
    IDialogs& m_dialogs;
    QStringList m_found;
    QStringList m_open;
    QString m_choice;
    QTimer m_timer;
};
