// PC keys as data: the Qt key to virtual-key translation and the key maps of the keyboards.
#include "core/input/KeyMaps.h"
#include <array>
#include <iterator>

namespace VirtualKeys {

namespace {
struct Pair {
    int qt;
    int vk;
};

// Keys outside the letter and digit runs. A shifted key keeps the code of its
// unshifted key, as the PC keyboard reports the key, not the character.
constexpr Pair MainBlock[] = {
    {Qt::Key_Backspace, 8},
    {Qt::Key_Tab, 9},
    {Qt::Key_Backtab, 9},
    {Qt::Key_Return, 13},
    {Qt::Key_Enter, 13},
    {Qt::Key_Shift, 16},
    {Qt::Key_Control, 17},
    {Qt::Key_Alt, 18},
    {Qt::Key_AltGr, 18},
    {Qt::Key_Pause, 19},
    {Qt::Key_CapsLock, 20},
    {Qt::Key_Escape, 27},
    {Qt::Key_Space, 32},
    {Qt::Key_PageUp, 33},
    {Qt::Key_PageDown, 34},
    {Qt::Key_End, 35},
    {Qt::Key_Home, 36},
    {Qt::Key_Left, 37},
    {Qt::Key_Up, 38},
    {Qt::Key_Right, 39},
    {Qt::Key_Down, 40},
    {Qt::Key_Print, 44},
    {Qt::Key_Insert, 45},
    {Qt::Key_Delete, 46},
    {Qt::Key_Meta, 91},
    {Qt::Key_Menu, 93},
    {Qt::Key_NumLock, 144},
    {Qt::Key_ScrollLock, 145},
    {Qt::Key_Semicolon, 186},
    {Qt::Key_Colon, 186},
    {Qt::Key_Equal, 187},
    {Qt::Key_Plus, 187},
    {Qt::Key_Comma, 188},
    {Qt::Key_Less, 188},
    {Qt::Key_Minus, 189},
    {Qt::Key_Underscore, 189},
    {Qt::Key_Period, 190},
    {Qt::Key_Greater, 190},
    {Qt::Key_Slash, 191},
    {Qt::Key_Question, 191},
    {Qt::Key_QuoteLeft, 192},
    {Qt::Key_AsciiTilde, 192},
    {Qt::Key_BracketLeft, 219},
    {Qt::Key_BraceLeft, 219},
    {Qt::Key_Backslash, 220},
    {Qt::Key_Bar, 220},
    {Qt::Key_BracketRight, 221},
    {Qt::Key_BraceRight, 221},
    {Qt::Key_Apostrophe, 222},
    {Qt::Key_QuoteDbl, 222},
    // Shifted digits of the main block.
    {Qt::Key_ParenRight, 48},
    {Qt::Key_Exclam, 49},
    {Qt::Key_At, 50},
    {Qt::Key_NumberSign, 51},
    {Qt::Key_Dollar, 52},
    {Qt::Key_Percent, 53},
    {Qt::Key_AsciiCircum, 54},
    {Qt::Key_Ampersand, 55},
    {Qt::Key_Asterisk, 56},
    {Qt::Key_ParenLeft, 57},
};

constexpr Pair Keypad[] = {
    {Qt::Key_Asterisk, 106},
    {Qt::Key_Plus, 107},
    {Qt::Key_Minus, 109},
    {Qt::Key_Period, 110},
    {Qt::Key_Comma, 110},
    {Qt::Key_Slash, 111},
    {Qt::Key_Enter, 13},
    {Qt::Key_Return, 13},
    // With NumLock off the keypad digits arrive as navigation keys.
    {Qt::Key_Insert, 45},
    {Qt::Key_Delete, 46},
    {Qt::Key_End, 35},
    {Qt::Key_Down, 40},
    {Qt::Key_PageDown, 34},
    {Qt::Key_Left, 37},
    {Qt::Key_Clear, 12},
    {Qt::Key_Right, 39},
    {Qt::Key_Home, 36},
    {Qt::Key_Up, 38},
    {Qt::Key_PageUp, 33},
};

int Find(const Pair* first, const Pair* last, int qtKey)
{
    for (const Pair* p = first; p != last; ++p)
        if (p->qt == qtKey)
            return p->vk;
    return 0;
}
}

int FromQtKey(int qtKey, bool keypad)
{
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return 65 + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return (keypad ? 96 : 48) + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return 112 + (qtKey - Qt::Key_F1);
    if (keypad)
        if (const int vk = Find(std::begin(Keypad), std::end(Keypad), qtKey))
            return vk;
    return Find(std::begin(MainBlock), std::end(MainBlock), qtKey);
}

Qt::KeyboardModifiers Modifiers(Qt::KeyboardModifiers m)
{
    return m & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
}

}

// Main window: the key picks a note and the on-screen key of that note; Shift alone plays the
// semitone above (the black key, or for e and b the next white key); other modifiers are not
// looked at.
constexpr KeyRow MainMap[] = {
    {72, KeyMods::Any, "c1"},         {74, KeyMods::Any, "d1"},        {75, KeyMods::Any, "e1"},
    {76, KeyMods::Any, "f1"},         {186, KeyMods::Any, "g1"},       {222, KeyMods::Any, "a1"},
    {13, KeyMods::Any, "b1"},         {89, KeyMods::Any, "c2"},        {85, KeyMods::Any, "d2"},
    {73, KeyMods::Any, "e2"},         {72, KeyMods::ShiftOnly, "c#1"}, {74, KeyMods::ShiftOnly, "d#1"},
    {75, KeyMods::ShiftOnly, "f1"},   {76, KeyMods::ShiftOnly, "f#1"}, {186, KeyMods::ShiftOnly, "g#1"},
    {222, KeyMods::ShiftOnly, "a#1"}, {13, KeyMods::ShiftOnly, "c2"},  {89, KeyMods::ShiftOnly, "c#2"},
    {85, KeyMods::ShiftOnly, "d#2"},  {73, KeyMods::ShiftOnly, "f2"},
};

// Shift alone on a key of the wide maps: the semitone above its note, where no row had Shift.
constexpr KeyRow WideShiftRows[] = {
    {65, KeyMods::ShiftOnly, "c#"},   {83, KeyMods::ShiftOnly, "d#"},  {68, KeyMods::ShiftOnly, "f"},
    {70, KeyMods::ShiftOnly, "f#"},   {71, KeyMods::ShiftOnly, "g#"},  {69, KeyMods::ShiftOnly, "a#"},
    {82, KeyMods::ShiftOnly, "c1"},   {72, KeyMods::ShiftOnly, "c#1"}, {74, KeyMods::ShiftOnly, "d#1"},
    {75, KeyMods::ShiftOnly, "f1"},   {76, KeyMods::ShiftOnly, "f#1"}, {186, KeyMods::ShiftOnly, "g#1"},
    {222, KeyMods::ShiftOnly, "a#1"}, {13, KeyMods::ShiftOnly, "c2"},  {89, KeyMods::ShiftOnly, "c#2"},
    {85, KeyMods::ShiftOnly, "d#2"},  {73, KeyMods::ShiftOnly, "f2"},  {79, KeyMods::ShiftOnly, "f#2"},
};

template <size_t A, size_t B>
constexpr std::array<KeyRow, A + B> Join(const KeyRow (&a)[A], const KeyRow (&b)[B])
{
    std::array<KeyRow, A + B> out{};
    for (size_t i = 0; i < A; ++i)
        out[i] = a[i];
    for (size_t i = 0; i < B; ++i)
        out[A + i] = b[i];
    return out;
}

// The wide map of the sound engine: a row matches only with exactly its modifier set held.
constexpr KeyRow EngineRows[] = {
    {70, KeyMods::AltOnly, "F"}, {71, KeyMods::AltOnly, "G"}, {69, KeyMods::AltOnly, "A"}, {82, KeyMods::AltOnly, "B"},
    {65, KeyMods::None, "c"},    {83, KeyMods::None, "d"},    {68, KeyMods::None, "e"},    {70, KeyMods::None, "f"},
    {71, KeyMods::None, "g"},    {69, KeyMods::None, "a"},    {82, KeyMods::None, "b"},    {72, KeyMods::None, "c1"},
    {74, KeyMods::None, "d1"},   {75, KeyMods::None, "e1"},   {76, KeyMods::None, "f1"},   {186, KeyMods::None, "g1"},
    {222, KeyMods::None, "a1"},  {13, KeyMods::None, "b1"},   {89, KeyMods::None, "c2"},   {85, KeyMods::None, "d2"},
    {73, KeyMods::None, "e2"},   {79, KeyMods::None, "f2"},
};

// The second keyboard's pictures. Keys of the lower octave (and O) go up only without a
// modifier, because with one held they belong to another note or to none.
constexpr KeyRow WideRows[] = {
    {65, KeyMods::None, "c"},  {83, KeyMods::None, "d"},  {68, KeyMods::None, "e"}, {70, KeyMods::None, "f"},
    {71, KeyMods::None, "g"},  {69, KeyMods::None, "a"},  {82, KeyMods::None, "b"}, {72, KeyMods::Any, "c1"},
    {74, KeyMods::Any, "d1"},  {75, KeyMods::Any, "e1"},  {76, KeyMods::Any, "f1"}, {186, KeyMods::Any, "g1"},
    {222, KeyMods::Any, "a1"}, {13, KeyMods::Any, "b1"},  {89, KeyMods::Any, "c2"}, {85, KeyMods::Any, "d2"},
    {73, KeyMods::Any, "e2"},  {79, KeyMods::None, "f2"},
};

constexpr auto EngineMap = Join(EngineRows, WideShiftRows);
// Shift rows go up whatever is held: the keyboard remembers which note each key pressed.
constexpr auto WideMap = Join(WideRows, WideShiftRows);

std::span<const KeyRow> MainKeyMap() { return MainMap; }
std::span<const KeyRow> EngineKeyMap() { return EngineMap; }
std::span<const KeyRow> WideKeyMap() { return WideMap; }

QString KeyCap(int vk)
{
    switch (vk) {
    case VirtualKeys::Oem1: return QStringLiteral(";");
    case VirtualKeys::Oem7: return QStringLiteral("'");
    case VirtualKeys::Return: return QStringLiteral("↵");
    default: return vk >= 'A' && vk <= 'Z' ? QString(QChar(vk)) : QString();
    }
}

QString KeyCapOfNote(std::span<const KeyRow> map, const QString& note)
{
    const KeyRow* shifted = nullptr;
    for (const KeyRow& r : map) {
        if (note != QLatin1String(r.note))
            continue;
        if (r.mods != KeyMods::ShiftOnly)
            return KeyCap(r.vk);
        if (!shifted)
            shifted = &r;
    }
    const QString cap = shifted ? KeyCap(shifted->vk) : QString();
    return cap.isEmpty() ? cap : QStringLiteral("⇧") + cap;
}

bool ModsMatch(KeyMods rule, Qt::KeyboardModifiers held)
{
    held = VirtualKeys::Modifiers(held);
    switch (rule) {
    case KeyMods::Any: return true;
    case KeyMods::None: return held == Qt::KeyboardModifiers();
    case KeyMods::AltOnly: return held == Qt::KeyboardModifiers(Qt::AltModifier);
    case KeyMods::ShiftOnly: return held == Qt::KeyboardModifiers(Qt::ShiftModifier);
    }
    return false;
}

const KeyRow* FindKey(std::span<const KeyRow> map, int vk)
{
    for (const KeyRow& r : map)
        if (r.vk == vk)
            return &r;
    return nullptr;
}

const KeyRow* MatchKey(std::span<const KeyRow> map, int vk, Qt::KeyboardModifiers held)
{
    const KeyRow* any = nullptr;
    for (const KeyRow& r : map) {
        if (r.vk != vk || !ModsMatch(r.mods, held))
            continue;
        if (r.mods != KeyMods::Any)
            return &r;
        if (!any)
            any = &r;
    }
    return any;
}

QString PcKeyNote(int key, Qt::KeyboardModifiers modifiers)
{
    for (const KeyRow& r : EngineMap)
        if (r.vk == key && ModsMatch(r.mods, modifiers))
            return QString::fromLatin1(r.note);
    return {};
}
