#include "ui/shell/PianoServices.h"
#include "core/platform/LibraryLocation.h"
#include <QMetaObject>

MidiInput& PianoServices::StartMidi(std::unique_ptr<IMidiPorts> ports)
{
    Midi.reset();   // the old ports close before new ones open
    Midi = std::make_unique<MidiInput>(std::move(ports), Notes, Dialogs, Prefs.MidiPort());
    return *Midi;
}

void PianoServices::LoadPreferences()
{
    Prefs.OnSaveFailed([this](const QString& text) { Dialogs.ShowError(text); });
    if (const QString problem = Prefs.Load(Paths.ConfigDir); !problem.isEmpty())
        Dialogs.ShowError(problem);
}

void PianoServices::LoadLibrary()
{
    Library.ConnectSongDatabase(Paths.LibraryFile);
    if (!Paths.StarterLibrary.isEmpty())
        PrepareUserLibrary({Paths.LibraryFile, Paths.TemplateDir, Paths.StarterLibrary});
    if (const QString skipped = Library.LoadSongTable(BannerLinks); !skipped.isEmpty())
        Dialogs.ShowError(skipped);
}

void PianoServices::WriteSounds(QObject* context)
{
    // The writer's worker reports here; the message waits for the event loop.
    SoundWriter.Start(Voices.SoundNames, Paths.TempDir, Player.Samples(), PlayedSounds(Voices.Current),
                      [this, context](const QString& text) {
                          QMetaObject::invokeMethod(context, [this, text] { Dialogs.ShowError(text); },
                                                    Qt::QueuedConnection);
                      });
}
