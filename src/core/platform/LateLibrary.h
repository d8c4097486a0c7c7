#pragma once
// Libraries the first paint does not need are opened when first wanted, through a table of
// their functions, rather than linked: each one linked costs every start its loading and
// relocation. The package depends on them as before.
#include <QByteArray>
#include <QLibrary>
#include <QString>
#include <QStringList>
#include <initializer_list>

namespace LateLibrary {

struct Name {
    const char* file;   // as QLibrary takes it: no prefix, no suffix
    int major;          // -1: the unversioned name
};

// Loads the first of names the system has; false with `why` set when none loads. Nothing
// opened this way is unloaded: a thread of its own may outlive the caller.
bool Load(QLibrary& library, std::initializer_list<Name> names, QByteArray* why);

// Points slot at the function `name`; false when the library lacks it.
template <typename F>
bool Resolve(QLibrary& library, const char* name, F& slot)
{
    slot = reinterpret_cast<F>(library.resolve(name));
    return slot != nullptr;
}

// Our own modules: beside the program (the build tree), then <prefix>/lib/tavopiano (installed).
QStringList ModuleFolders();

// A module of ours: its entry function, from the first folder that has the module; null when
// none has it (`file` empty) or it has no such entry (`file` names it).
QFunctionPointer ModuleEntry(const QString& baseName, const char* entryName, const QStringList& folders, QString* file);

// The table a module's entry returns (`const Api* entry()`); null when the module is missing
// (`file` empty), or is not ours or of another version (`file` names it).
template <typename Api>
const Api* OpenModule(const QString& baseName, const char* entryName, int version, const QStringList& folders,
                      QString* file)
{
    using Entry = const Api* (*)();
    const auto entry = reinterpret_cast<Entry>(ModuleEntry(baseName, entryName, folders, file));
    const Api* api = entry ? entry() : nullptr;
    return api && api->version == version ? api : nullptr;
}

}   // namespace LateLibrary
