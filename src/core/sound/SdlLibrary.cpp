#include "core/sound/SdlLibrary.h"
#include "core/platform/LateLibrary.h"

namespace {

struct Opened {
    SdlApi api{};
    bool ok = false;
    QByteArray why;
};

using LateLibrary::Resolve;

Opened Open()
{
    Opened o;
    // The versioned name first (Linux and the BSDs), then the plain one (Windows, macOS).
    QLibrary library;
    if (!LateLibrary::Load(library, {{"SDL2-2.0", 0}, {"SDL2", -1}}, &o.why)) {
        o.why.prepend("SDL2 not found: ");
        return o;
    }
    SdlApi& a = o.api;
    o.ok = Resolve(library, "SDL_SetMainReady", a.SetMainReady) && Resolve(library, "SDL_SetHint", a.SetHint) &&
           Resolve(library, "SDL_InitSubSystem", a.InitSubSystem) &&
           Resolve(library, "SDL_QuitSubSystem", a.QuitSubSystem) && Resolve(library, "SDL_WasInit", a.WasInit) &&
           Resolve(library, "SDL_Quit", a.Quit) && Resolve(library, "SDL_GetError", a.GetError) &&
           Resolve(library, "SDL_OpenAudioDevice", a.OpenAudioDevice) &&
           Resolve(library, "SDL_CloseAudioDevice", a.CloseAudioDevice) &&
           Resolve(library, "SDL_PauseAudioDevice", a.PauseAudioDevice) &&
           Resolve(library, "SDL_GetAudioDeviceStatus", a.GetAudioDeviceStatus) &&
           Resolve(library, "SDL_RWFromConstMem", a.RWFromConstMem) &&
           Resolve(library, "SDL_LoadWAV_RW", a.LoadWAV_RW) && Resolve(library, "SDL_FreeWAV", a.FreeWAV) &&
           Resolve(library, "SDL_BuildAudioCVT", a.BuildAudioCVT) &&
           Resolve(library, "SDL_ConvertAudio", a.ConvertAudio);
#if SDL_VERSION_ATLEAST(2, 24, 0)
    Resolve(library, "SDL_GetDefaultAudioInfo", a.GetDefaultAudioInfo);
#endif
    if (!o.ok)
        o.why = "SDL2 is too old: " + library.errorString().toLocal8Bit();
    // Never unloaded: its audio thread may still be running at exit.
    return o;
}

}   // namespace

const SdlApi* Sdl(const char** why)
{
    static const Opened opened = Open();
    if (why)
        *why = opened.why.constData();
    return opened.ok ? &opened.api : nullptr;
}
