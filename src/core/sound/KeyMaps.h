#pragma once
// The PC keys as the key maps know them: Windows virtual-key codes and the three
// modifiers Shift, Ctrl and Alt.
#include <QString>
#include <Qt>

class QKeyEvent;

namespace VirtualKeys {
constexpr int Return = 13;
constexpr int Space = 32;
constexpr int Oem1 = 186;   // ';' and ':'
constexpr int Oem7 = 222;   // ''' and '"'

// Virtual-key code of a Qt key, 0 for a key that has none. keypad tells the keypad's
// digits and operators apart from the main block.
int FromQtKey(int qtKey, bool keypad = false);
int FromEvent(const QKeyEvent* e);
// Only Shift, Ctrl and Alt count; keypad, meta and group-switch flags are dropped.
Qt::KeyboardModifiers Modifiers(Qt::KeyboardModifiers m);
}

// True when the space bar turns the score page: the score panel is open and a score
// is on view (its song list is hidden).
bool SpaceTurnsScorePage();

// Note of a PC key in the sound-engine map, empty when no row matches exactly.
QString PcKeyNote(int key, Qt::KeyboardModifiers modifiers);
