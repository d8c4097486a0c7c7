#pragma once
// The ten white keys of the main window, c1 to e2, played by click or by the main key map.
#include "ui/widgets/Guard.h"
#include <QObject>
#include <QString>
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
    // The key of a note (Img_c1 ... Img_e2), nullptr for any other note.
    TImageButton* Key(const QString& note) const;
    const std::array<TImageButton*, 10>& Keys() const { return m_keys; }
    KeyMarks* Marks = nullptr;   // lit keys, letters, the demo's presses

    // A PC key while the main keys have the keyboard: shows the key down and plays its note;
    // an unmapped key still uses up a player's turn.
    void MainKeyDown(int vk);
    void MainKeyUp(int vk);

private:
    INoteInput& m_notes;
    std::array<TImageButton*, 10> m_keys{};
};

// A key picture of the right outline for its note letter: c and f, d g and a, e and b.
TImageButton* NewWhiteKey(QWidget* parent, QChar letter, const QRect& geometry, bool stretch);
