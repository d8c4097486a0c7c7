#pragma once
// SDL2, opened when sound is first wanted rather than at exec: with the libraries under it
// (the sound servers' clients, codecs, X and Wayland) it cost a start about as much as Qt's
// own set-up, all before the window could paint. The package depends on it as before.
#define SDL_MAIN_HANDLED
#include <SDL.h>

struct SdlApi {
    decltype(&::SDL_SetMainReady) SetMainReady;
    decltype(&::SDL_SetHint) SetHint;
    decltype(&::SDL_InitSubSystem) InitSubSystem;
    decltype(&::SDL_QuitSubSystem) QuitSubSystem;
    decltype(&::SDL_WasInit) WasInit;
    decltype(&::SDL_Quit) Quit;
    decltype(&::SDL_GetError) GetError;
    decltype(&::SDL_OpenAudioDevice) OpenAudioDevice;
    decltype(&::SDL_CloseAudioDevice) CloseAudioDevice;
    decltype(&::SDL_PauseAudioDevice) PauseAudioDevice;
    decltype(&::SDL_GetAudioDeviceStatus) GetAudioDeviceStatus;
    decltype(&::SDL_RWFromConstMem) RWFromConstMem;
    decltype(&::SDL_LoadWAV_RW) LoadWAV_RW;
    decltype(&::SDL_FreeWAV) FreeWAV;
    decltype(&::SDL_BuildAudioCVT) BuildAudioCVT;
    decltype(&::SDL_ConvertAudio) ConvertAudio;
#if SDL_VERSION_ATLEAST(2, 24, 0)
    decltype(&::SDL_GetDefaultAudioInfo) GetDefaultAudioInfo;   // may be null: an older SDL2
#endif
};

// The functions, opened once by whichever thread asks first (the others wait); null when
// SDL2 cannot be opened or lacks one of them, and `why` then says what is wrong.
const SdlApi* Sdl(const char** why = nullptr);
