// The MIDI module: RtMidi's input ports behind IMidiPorts.
#include "core/input/MidiPorts.h"
#include <map>
#include <memory>
#include <rtmidi/RtMidi.h>

namespace {

const char* const ClientName = "Tavo Piano";

void Quiet(RtMidiError::Type, const std::string&, void*) {}

struct Port {
    std::unique_ptr<RtMidiIn> in;
    IMidiPorts::Receiver receiver;
};

void Received(double, std::vector<unsigned char>* message, void* user)
{
    if (message && !message->empty())
        static_cast<Port*>(user)->receiver(message->data(), message->size());
}

class RtMidiPorts final : public IMidiPorts {
public:
    explicit RtMidiPorts(RtMidi::Api api) : m_api(api), m_lister(api, ClientName) { m_lister.setErrorCallback(Quiet); }
    ~RtMidiPorts() override { m_ports.clear(); }   // each port's thread ends before its receiver goes

    QStringList Ports() override
    {
        QStringList names;
        const unsigned count = m_lister.getPortCount();
        for (unsigned i = 0; i < count && i < 256; ++i) {
            const QString name = QString::fromStdString(m_lister.getPortName(i));
            if (!name.isEmpty() && !name.startsWith(QLatin1String(ClientName)))   // never our own
                names << name;
        }
        return names;
    }

    bool Open(const QString& name, Receiver receiver) override
    {
        try {
            const unsigned count = m_lister.getPortCount();
            for (unsigned i = 0; i < count; ++i) {
                if (QString::fromStdString(m_lister.getPortName(i)) != name)
                    continue;
                auto port = std::make_unique<Port>();
                port->receiver = std::move(receiver);
                port->in = std::make_unique<RtMidiIn>(m_api, ClientName);
                port->in->setErrorCallback(Quiet);
                port->in->ignoreTypes(true, true, true);
                port->in->setCallback(Received, port.get());
                port->in->openPort(i, "in");
                if (!port->in->isPortOpen())
                    return false;
                m_ports[name] = std::move(port);
                return true;
            }
        } catch (const RtMidiError&) {}
        return false;
    }

    void Close(const QString& name) override { m_ports.erase(name); }

private:
    RtMidi::Api m_api;
    RtMidiIn m_lister;
    std::map<QString, std::unique_ptr<Port>> m_ports;
};

IMidiPorts* OpenPorts(int system)
{
    try {
        return new RtMidiPorts(system == 0 ? RtMidi::LINUX_ALSA : RtMidi::UNIX_JACK);
    } catch (const RtMidiError&) {
        return nullptr;
    }
}

constexpr TavoMidiApi Api{TavoMidiApiVersion, OpenPorts};

}   // namespace

extern "C" __attribute__((visibility("default"))) const TavoMidiApi* tavo_midi_api() { return &Api; }
