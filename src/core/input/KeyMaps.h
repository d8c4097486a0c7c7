#pragma once
// The PC keys as the key maps know them: Windows virtual-key codes and the three
// modifiers Shift, Ctrl and Alt; and the key maps of the keyboards, as data.
#include <QString>
#include <Qt>
#include <span>

namespace VirtualKeys {
constexpr int Return = 13;
constexpr int Space = 32;
constexpr int Escape = 27;
constexpr int Oem1 = 186;   // ';' and ':'
constexpr int Oem7 = 222;   // ''' and '"'

// Virtual-key code of a Qt key, 0 for a key that has none. keypad tells the keypad's
// digits and operators apart from the main block.
int FromQtKey(int qtKey, bool keypad = false);
// Only Shift, Ctrl and Alt count; keypad, meta and group-switch flags are dropped.
Qt::KeyboardModifiers Modifiers(Qt::KeyboardModifiers m);
}

// Which modifiers a row accepts (Shift, Ctrl and Alt only count).
enum class KeyMods { Any, None, AltOnly, ShiftOnly };

// One row of a key map: a virtual key, the modifiers it needs, and a note name, which is
// also the name of the on-screen key it presses (Img_ + note).
struct KeyRow {
    int vk;
    KeyMods mods;
    const char* note;
};

// Main window: ten keys, any modifiers; Shift alone gives the semitone above.
std::span<const KeyRow> MainKeyMap();
// The sound engine's wide map, used while the second keyboard has the keys: exact modifiers;
// Shift alone gives the semitone above each plain key's note.
std::span<const KeyRow> EngineKeyMap();
// The second keyboard's pictures: a press shows only without modifiers; mods is the rule for
// the key going up again.
std::span<const KeyRow> WideKeyMap();

bool ModsMatch(KeyMods rule, Qt::KeyboardModifiers held);
// What a key's cap shows for a map's virtual key: "H", ";", "'", "↵".
QString KeyCap(int vk);
// The cap of the key that plays note in map (the first row naming it, a plain key before a
// shifted one, which shows as "⇧H"), empty when none.
QString KeyCapOfNote(std::span<const KeyRow> map, const QString& note);
// The first row of vk, whatever its modifiers.
const KeyRow* FindKey(std::span<const KeyRow> map, int vk);
// The row of vk that the held modifiers pick: a row with its own modifier rule before one
// that takes any; nullptr when none matches.
const KeyRow* MatchKey(std::span<const KeyRow> map, int vk, Qt::KeyboardModifiers held);
// Note of a PC key in the engine map, empty when no row matches exactly.
QString PcKeyNote(int key, Qt::KeyboardModifiers modifiers);
