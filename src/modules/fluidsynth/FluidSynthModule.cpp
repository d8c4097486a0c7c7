// The sampled voice's module: FluidSynth behind the plain table of core/sound/SynthApi.h.
// Opened by the piano only when the sampled voice is wanted.
#include "core/sound/SynthApi.h"
#include <fluidsynth.h>
#include <initializer_list>

namespace {

struct Synth {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    ~Synth()
    {
        if (synth)
            delete_fluid_synth(synth);
        if (settings)
            delete_fluid_settings(settings);
    }
};

fluid_synth_t* Fs(void* s) { return static_cast<Synth*>(s)->synth; }

void* Create(double rate, double gain)
{
    // FluidSynth reports through its own log; the piano reports a failure once, in Chinese.
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
        fluid_set_log_function(level, nullptr, nullptr);
    auto* s = new Synth;
    s->settings = new_fluid_settings();
    if (s->settings) {
        fluid_settings_setnum(s->settings, "synth.sample-rate", rate);
        fluid_settings_setint(s->settings, "synth.threadsafe-api", 0);   // only the render thread calls it
        fluid_settings_setint(s->settings, "synth.chorus.active", 0);
        fluid_settings_setint(s->settings, "synth.polyphony", 128);
        fluid_settings_setnum(s->settings, "synth.gain", gain);
        s->synth = new_fluid_synth(s->settings);
    }
    if (!s->synth) {
        delete s;
        return nullptr;
    }
    return s;
}

void Destroy(void* s) { delete static_cast<Synth*>(s); }

int LoadPiano(void* s, const char* path)
{
    const int id = fluid_synth_sfload(Fs(s), path, 0);
    fluid_sfont_t* font = id == FLUID_FAILED ? nullptr : fluid_synth_get_sfont_by_id(Fs(s), id);
    if (!font)
        return 1;
    if (!fluid_sfont_get_preset(font, 0, 0) || fluid_synth_program_select(Fs(s), 0, id, 0, 0) != FLUID_OK)
        return 2;
    return 0;
}

void NoteOn(void* s, int key, int velocity) { fluid_synth_noteon(Fs(s), 0, key, velocity); }
void NoteOff(void* s, int key) { fluid_synth_noteoff(Fs(s), 0, key); }
void Control(void* s, int number, int value) { fluid_synth_cc(Fs(s), 0, number, value); }
void Write(void* s, int frames, float* left, float* right)
{
    fluid_synth_write_float(Fs(s), frames, left, 0, 1, right, 0, 1);
}

constexpr TavoSynthApi Api{TavoSynthApiVersion, Create, Destroy, LoadPiano, NoteOn, NoteOff, Control, Write};

}   // namespace

extern "C" __attribute__((visibility("default"))) const TavoSynthApi* tavo_synth_api() { return &Api; }
