// The four voice sets: 48 sample names each, by semitone slot.
#include "core/sound/Voices.h"

namespace {

struct VoiceName {
    int set;
    int slot;
    const char* name;
};

const VoiceName VoiceNames[] = {
#include "voice_names.inc"
};

// Voice sets in the order their names are listed (set 2, 3, 4, then 1).
constexpr int ListOrder[4] = {2, 3, 4, 1};

struct NoteName {
    const char16_t* name;
    int slot;
};

// Upper case: the lowest octave; plain lower case: the next; "1": from middle C; "2": above.
constexpr NoteName Notes[22] = {
    {u"F", 5},   {u"G", 7},   {u"A", 9},   {u"B", 11},  {u"c", 12},  {u"d", 14},  {u"e", 16},  {u"f", 17},
    {u"g", 19},  {u"a", 21},  {u"b", 23},  {u"c1", 24}, {u"d1", 26}, {u"e1", 28}, {u"f1", 29}, {u"g1", 31},
    {u"a1", 33}, {u"b1", 35}, {u"c2", 36}, {u"d2", 38}, {u"e2", 40}, {u"f2", 41},
};

// The black keys: the natural's letter and a '#' before its octave mark, from F# up to f#2.
constexpr NoteName Sharps[16] = {
    {u"F#", 6},   {u"G#", 8},   {u"A#", 10},  {u"c#", 13},  {u"d#", 15},  {u"f#", 18},  {u"g#", 20},  {u"a#", 22},
    {u"c#1", 25}, {u"d#1", 27}, {u"f#1", 30}, {u"g#1", 32}, {u"a#1", 34}, {u"c#2", 37}, {u"d#2", 39}, {u"f#2", 42},
};

template <typename Fn>
void ForEachName(Fn&& fn)
{
    for (const NoteName& n : Notes)
        fn(n);
    for (const NoteName& n : Sharps)
        fn(n);
}

} // namespace

void VoiceBank::Fill()
{
    for (auto& set : Sets)
        set.fill(QString());
    for (const VoiceName& v : VoiceNames)
        Sets[size_t(v.set - 1)][size_t(v.slot)] = QString::fromLatin1(v.name);
    Current = Sets[3];
    SoundNames.clear();
    for (int set : ListOrder)
        for (const QString& name : Sets[size_t(set - 1)])
            SoundNames << name;
}

QString SoundResourcePath(const QString& name)
{
    return QStringLiteral(":/wave/") + name + QStringLiteral(".wav");
}

int NoteSlot(const QString& name)
{
    int slot = -1;
    ForEachName([&](const NoteName& n) {
        if (name == QStringView(n.name))
            slot = n.slot;
    });
    return slot;
}

QString SlotNoteName(int slot)
{
    QString name;
    ForEachName([&](const NoteName& n) {
        if (n.slot == slot)
            name = QString::fromUtf16(n.name);
    });
    return name;
}

int NoteKey(const QString& name)
{
    const int slot = NoteSlot(name);
    return slot < 0 ? -1 : slot + FirstSlotKey;
}

QString KeyNoteName(int key) { return SlotNoteName(key - FirstSlotKey); }

QStringList PlayedSounds(const VoiceTable& voice)
{
    QStringList names;
    for (const NoteName& n : Notes)
        if (!names.contains(voice[size_t(n.slot)]))
            names << voice[size_t(n.slot)];
    return names;
}
