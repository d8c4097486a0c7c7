#pragma once
// The program entry's steps between the application object and the event loop.
#include "core/Dialogs.h"
#include "core/platform/Folders.h"
#include <memory>

class SingleInstance;
class TFormPiano;

// A started piano: the one-per-user guard and the window it guards. Without a window the
// program ends at once with exitCode: 0 when another copy runs (it was asked to come to the
// front), non-zero when the guard could not be set up (the reason was shown).
struct PianoStart {
    PianoStart();
    PianoStart(PianoStart&&) noexcept;
    ~PianoStart();
    std::unique_ptr<SingleInstance> guard;
    std::unique_ptr<TFormPiano> window;
    int exitCode = 1;
};

PianoStart StartPiano(IDialogs& dialogs, const FolderOptions& folders = {});
