#pragma once
// The ten white keys of the main window, c1 to e2, and the seven black keys between them,
// played by click or by the main key map.
#include "ui/widgets/Guard.h"
#include <QHash>
#include <QObject>
#include <QSize>
#include <QString>
#include <Qt>
#include <array>

class INoteInput;
class KeyMarks;
class QWidget;
class TImageButton;

class MainKeys : public QObject {
    Q_OBJECT
public:
    MainKeys(QWidget* window, INoteInput& notes, IDialogs& dialogs);

    static constexpr std::array<const char*, 10> Notes{"c1", "d1", "e1", "f1", "g1", "a1", "b1", "c2", "d2", "e2"};
    static constexpr std::array<const char*, 7> Sharps{"c#1", "d#1", "f#1", "g#1", "a#1", "c#2", "d#2"};
    // A black key: centred on the seam, from the keys' top down to the notches.
    static constexpr QSize BlackKeySize{40, 156};
    // The key of a note (Img_c1 ... Img_e2, Img_c#1 ... Img_d#2), nullptr for any other note.
    TImageButton* Key(const QString& note) const;
    const std::array<TImageButton*, 10>& Keys() const { return m_keys; }
    const std::array<TImageButton*, 7>& BlackKeys() const { return m_black; }
    KeyMarks* Marks = nullptr;   // lit keys, letters, the demo's presses

    // A PC key while the main keys have the keyboard: shows the key down and plays its note
    // (Shift alone: the semitone above); an unmapped key still uses up a player's turn.
    void MainKeyDown(int vk, Qt::KeyboardModifiers modifiers);
    // Lets up the note that vk pressed, whatever is held now.
    void MainKeyUp(int vk);

private:
    INoteInput& m_notes;
    std::array<TImageButton*, 10> m_keys{};
    std::array<TImageButton*, 7> m_black{};
    QHash<int, QString> m_held;   // PC key -> the note it pressed
};

// A key picture of the right outline for its note letter: c and f, d g and a, e and b.
TImageButton* NewWhiteKey(QWidget* parent, QChar letter, const QRect& geometry, bool stretch);
