#include "ui/shell/Program.h"
#include "core/Errors.h"
#include "core/platform/Platform.h"
#include "core/platform/SingleInstance.h"
#include "ui/shell/FormPiano.h"
#include "ui/widgets/Guard.h"

PianoStart::PianoStart() = default;
PianoStart::PianoStart(PianoStart&&) noexcept = default;
PianoStart::~PianoStart() = default;

PianoStart StartPiano(IDialogs& dialogs, const FolderOptions& folders)
{
    PianoStart s;
    RunGuarded(dialogs, [&] {
        Platform::ExportHomeDir();
        s.guard = std::make_unique<SingleInstance>(Platform::UserTempDir());
        switch (s.guard->Claim()) {
        case SingleInstance::Role::Second:
            s.exitCode = 0;   // the running piano comes to the front instead
            return;
        case SingleInstance::Role::Failed:
            Raise(s.guard->message());
        case SingleInstance::Role::First:
            break;
        }
        s.window = std::make_unique<TFormPiano>(dialogs, folders);
        QObject::connect(s.guard.get(), &SingleInstance::activationRequested, s.window.get(),
                         &TFormPiano::BringToFront);
        s.exitCode = 0;
    });
    return s;
}
