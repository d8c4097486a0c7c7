#pragma once
// The sampled voice's synthesiser (FluidSynth and the libraries under it) is a module of its
// own, opened on the loading worker the first time the voice is wanted, so start-up neither
// loads nor relocates it.
#include "core/sound/SynthApi.h"
#include <QString>
#include <QStringList>

namespace SynthModule {

// Beside the program (the build tree), then <prefix>/lib/tavopiano (installed).
QStringList DefaultFolders();
// The module's table from the first folder that has it; null with `error` set (in Chinese) when
// none has, or it is not one of ours. The module stays loaded for the rest of the process.
const TavoSynthApi* Open(const QStringList& folders, QString* error);

}   // namespace SynthModule
