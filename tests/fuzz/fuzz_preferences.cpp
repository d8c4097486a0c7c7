// preferences.conf from anywhere: read at start, then written back at the user's next change.
#include "FuzzSupport.h"
#include "core/settings/Preferences.h"

int Fuzz::Preferences(const uint8_t* data, size_t size)
{
    WriteInput(QStringLiteral("preferences.conf"), data, size);
    ::Preferences prefs(Scratch());
    (void)prefs.Voice();
    (void)prefs.SoundFont();
    prefs.SetKeyLetters(!prefs.KeyLetters());
    return 0;
}

TAVO_FUZZ_TARGET(Preferences)
