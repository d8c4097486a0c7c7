// The four voice sets: 48 sample names each, by semitone slot.
#include "core/sound/Voices.h"

namespace {

struct VoiceName {
    int set;
    int slot;
    const char* name;
};

const VoiceName kVoiceNames[] = {
#include "voice_names.inc"
};

// Voice sets in the order their names are listed (set 2, 3, 4, then 1).
constexpr int kListOrder[4] = {2, 3, 4, 1};

struct NoteName {
    const char16_t* name;
    int slot;
};

// Upper case: the lowest octave; plain lower case: the next; "1": from middle C; "2": above.
constexpr NoteName kNotes[22] = {
    {u"F", 5},   {u"G", 7},   {u"A", 9},   {u"B", 11},  {u"c", 12},  {u"d", 14},  {u"e", 16},  {u"f", 17},
    {u"g", 19},  {u"a", 21},  {u"b", 23},  {u"c1", 24}, {u"d1", 26}, {u"e1", 28}, {u"f1", 29}, {u"g1", 31},
    {u"a1", 33}, {u"b1", 35}, {u"c2", 36}, {u"d2", 38}, {u"e2", 40}, {u"f2", 41},
};

} // namespace

void VoiceBank::Fill()
{
    for (auto& set : Sets)
        set.fill(QString());
    for (const VoiceName& v : kVoiceNames)
        Sets[size_t(v.set - 1)][size_t(v.slot)] = QString::fromLatin1(v.name);
    Current = Sets[3];
    SoundNames.clear();
    for (int set : kListOrder)
        for (const QString& name : Sets[size_t(set - 1)])
            SoundNames << name;
}

QString SoundResourcePath(const QString& name)
{
    return QStringLiteral(":/wave/") + name + QStringLiteral(".wav");
}

int NoteSlot(const QString& name)
{
    for (const NoteName& n : kNotes)
        if (name == QStringView(n.name))
            return n.slot;
    return -1;
}

int NoteKey(const QString& name)
{
    const int slot = NoteSlot(name);
    return slot < 0 ? -1 : slot + FirstSlotKey;
}

QString KeyNoteName(int key)
{
    for (const NoteName& n : kNotes)
        if (n.slot + FirstSlotKey == key)
            return QString::fromUtf16(n.name);
    return {};
}

QStringList PlayedSounds(const VoiceTable& voice)
{
    QStringList names;
    for (const NoteName& n : kNotes)
        if (!names.contains(voice[size_t(n.slot)]))
            names << voice[size_t(n.slot)];
    return names;
}
