#include "core/input/MidiInput.h"
#include "core/Dialogs.h"
#include "core/Errors.h"
#include "core/platform/LateLibrary.h"
#include "core/sound/NotePlayer.h"
#include <QFileInfo>
#include <QMetaObject>
#include <cstdio>
#include <exception>
#include <utility>
#include <unistd.h>

MidiMessage DecodeMidi(const unsigned char* bytes, std::size_t size)
{
    if (size < 3)
        return {};
    const int status = bytes[0] & 0xF0;
    const int a = bytes[1] & 0x7F;
    const int b = bytes[2] & 0x7F;
    if (status == 0x90 && b > 0)
        return {MidiMessage::NoteOn, a, b};
    if (status == 0x80 || status == 0x90)
        return {MidiMessage::NoteOff, a, 0};
    if (status == 0xB0 && a == 64)
        return {MidiMessage::Pedal, 64, b >= 64 ? 127 : 0};
    return {};
}

namespace {

// Asking libjack about a server that is not there prints several lines: look for its socket.
bool JackServerRunning()
{
    const QString server = qEnvironmentVariable("JACK_DEFAULT_SERVER", QStringLiteral("default"));
    return QFileInfo::exists(QStringLiteral("/dev/shm/jack_%1_%2_0").arg(server).arg(getuid()));
}

class LatePorts final : public IMidiPorts {
public:
    explicit LatePorts(std::function<MidiSystem()> find) : m_find(std::move(find)) {}

    QStringList Ports() override
    {
        if (m_system.ports && m_system.present && !m_system.present())
            m_system = {};   // its ports went with it
        if (!m_system.ports)
            m_system = m_find();
        return m_system.ports ? m_system.ports->Ports() : QStringList();
    }
    bool Open(const QString& port, Receiver receiver) override
    {
        return m_system.ports && m_system.ports->Open(port, std::move(receiver));
    }
    void Close(const QString& port) override
    {
        if (m_system.ports)
            m_system.ports->Close(port);
    }

private:
    std::function<MidiSystem()> m_find;
    MidiSystem m_system;
};

} // namespace

std::unique_ptr<IMidiPorts> LateMidiPorts(std::function<MidiSystem()> find)
{
    return std::make_unique<LatePorts>(std::move(find));
}

std::unique_ptr<IMidiPorts> MidiInput::Ports(Api api, const QStringList& moduleFolders, QString* why)
{
    QString file;
    const auto* table = LateLibrary::OpenModule<TavoMidiApi>(QStringLiteral("tavomidi"), TavoMidiEntryName,
                                                             TavoMidiApiVersion, moduleFolders, &file);
    if (!table) {
        if (why)
            *why = file.isEmpty() ? QStringLiteral("the module tavomidi is not installed")
                                  : file + QStringLiteral(" is not a MIDI module of ours");
        return nullptr;
    }
    return std::unique_ptr<IMidiPorts>(table->open(api == Api::Alsa ? 0 : 1));
}

std::unique_ptr<IMidiPorts> MidiInput::SystemPorts()
{
    return LateMidiPorts([said = false, moduleSaid = false]() mutable -> MidiSystem {
        QString why;
        if (QFileInfo::exists(QStringLiteral("/dev/snd/seq")))
            if (auto ports = Ports(Api::Alsa, LateLibrary::ModuleFolders(), &why))
                return {std::move(ports), {}};
        if (JackServerRunning())
            if (auto ports = Ports(Api::Jack, LateLibrary::ModuleFolders(), &why))
                return {std::move(ports), JackServerRunning};
        if (!why.isEmpty()) {
            if (!std::exchange(moduleSaid, true))
                std::fprintf(stderr, "tavopiano: MIDI keyboards cannot be read: %s\n", qPrintable(why));
        } else if (!std::exchange(said, true)) {
            std::fprintf(stderr, "tavopiano: no MIDI system (ALSA sequencer or JACK) yet; MIDI keyboards are "
                                 "read once there is one\n");
        }
        return {};
    });
}

MidiInput::MidiInput(std::unique_ptr<IMidiPorts> ports, INoteInput& notes, IDialogs& dialogs, QString choice,
                     QObject* parent)
    : QObject(parent), m_ports(std::move(ports)), m_notes(notes), m_dialogs(dialogs), m_choice(std::move(choice))
{
    if (!m_ports)
        return;
    connect(&m_timer, &QTimer::timeout, this, &MidiInput::Poll);
    m_timer.start(PollMs);
    Poll();
}

MidiInput::~MidiInput()
{
    // Close before this object goes: a port's thread may be handing in a note.
    if (m_ports)
        for (const QString& name : std::as_const(m_open))
            m_ports->Close(name);
}

void MidiInput::Poll()
{
    if (!m_ports)
        return;
    QStringList now;
    try {
        now = m_ports->Ports();
    } catch (const std::exception&) {
        return;   // the system is busy or gone: the ports stay as they are until it answers
    }
    const QStringList wasOpen = m_open;
    const bool foundChanged = now != m_found;
    m_found = now;
    for (qsizetype i = m_open.size() - 1; i >= 0; --i)
        if (!now.contains(m_open[i]) || !Wanted(m_open[i])) {
            m_ports->Close(m_open[i]);
            m_open.removeAt(i);
        }
    for (const QString& name : now) {
        if (m_open.contains(name) || !Wanted(name))
            continue;
        // The port's own thread decodes; the note is played on this object's thread.
        const bool opened = m_ports->Open(name, [this](const unsigned char* bytes, std::size_t size) {
            const MidiMessage m = DecodeMidi(bytes, size);
            if (m.kind != MidiMessage::None)
                QMetaObject::invokeMethod(this, [this, m] { Deliver(m); }, Qt::QueuedConnection);
        });
        if (opened)
            m_open << name;
    }
    if (foundChanged || m_open != wasOpen)
        Q_EMIT portsChanged();
}

bool MidiInput::Wanted(const QString& port) const
{
    return m_choice.isEmpty() || m_choice == port;
}

void MidiInput::SetChoice(const QString& choice)
{
    m_choice = choice;
    Poll();
}

void MidiInput::Deliver(const MidiMessage& m)
{
    try {
        switch (m.kind) {
        case MidiMessage::NoteOn:
            Q_EMIT keyChanged(m.key, true);   // the key looks pressed before it sounds, as a PC key does
            m_notes.PressKey(m.key, m.value);
            break;
        case MidiMessage::NoteOff:
            Q_EMIT keyChanged(m.key, false);
            m_notes.ReleaseKey(m.key);
            break;
        case MidiMessage::Pedal: m_notes.Pedal(m.value > 0); break;
        case MidiMessage::None: break;
        }
    } catch (const TavoError& e) {
        m_dialogs.ShowError(e.text());
    }
}
