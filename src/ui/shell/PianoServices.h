#pragma once
// What the piano owns apart from its window: folders, sounds, the voice, MIDI keyboards, the
// song library and the preferences. Composed once here; the window and its menu use them.
#include "core/Dialogs.h"
#include "core/input/MidiInput.h"
#include "core/library/SongLibrary.h"
#include "core/platform/Folders.h"
#include "core/practice/NoteTap.h"
#include "core/settings/Banner.h"
#include "core/settings/Preferences.h"
#include "core/sound/NotePlayer.h"
#include "core/sound/SampledVoice.h"
#include "core/sound/SoundFiles.h"
#include "core/sound/VoiceSwitch.h"
#include "core/sound/Voices.h"
#include <memory>

struct PianoServices {
    explicit PianoServices(IDialogs& dialogs) : Dialogs(dialogs) {}
    PianoServices(const PianoServices&) = delete;
    PianoServices& operator=(const PianoServices&) = delete;

    // Starts reading MIDI keyboards from these ports; the old ports close first.
    MidiInput& StartMidi(std::unique_ptr<IMidiPorts> ports);
    // The preferences, read from configDir; a problem is shown and the defaults kept.
    void LoadPreferences();
    // Opens the song library (copying the starter songs the first time) and reads its songs.
    void LoadLibrary();
    // Writes the sound files behind the window; a problem is shown from the event loop.
    void WriteSounds(QObject* context);

    IDialogs& Dialogs;
    Folders Paths;
    VoiceBank Voices;
    NotePlayer Player;
    SampledVoice Sampled{Player.Audio().GetMixer()};
    // Where every note goes: the chosen voice (the built-in samples or the sampled piano).
    VoiceSwitch Voice{Player, Sampled};
    SoundFileWriter SoundWriter;   // after the player: it stops writing before the cache goes
    NoteTap Notes{Voice};          // what every keyboard plays into: the voice, then the follow mode
    std::unique_ptr<MidiInput> Midi;   // null before the start-up sequence
    SongLibrary Library;
    BannerLinkList BannerLinks{};
    Preferences Prefs;
};
