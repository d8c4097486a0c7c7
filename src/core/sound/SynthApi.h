#pragma once
// The table a sampled-voice module hands the piano: plain C, so the module needs nothing of
// ours but this header. The synth behind `void*` is the module's own.
extern "C" {
struct TavoSynthApi {
    int version;   // TavoSynthApiVersion
    // A synth rendering at `rate` Hz; null when it cannot start.
    void* (*create)(double rate, double gain);
    void (*destroy)(void* synth);
    // 0: the SoundFont at `path` is in and its piano (bank 0, program 0) chosen;
    // 1: it could not be read; 2: it has no piano.
    int (*loadPiano)(void* synth, const char* path);
    void (*noteOn)(void* synth, int key, int velocity);
    void (*noteOff)(void* synth, int key);
    void (*control)(void* synth, int number, int value);
    // Renders `frames` frames into the two channels (overwritten, not added).
    void (*write)(void* synth, int frames, float* left, float* right);
};
typedef const TavoSynthApi* (*TavoSynthEntry)();
}

constexpr int TavoSynthApiVersion = 1;
constexpr const char* TavoSynthEntryName = "tavo_synth_api";
