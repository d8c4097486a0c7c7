#pragma once
// The second, wider keyboard window TFrmKeyBoard_2: 18 white keys (c to f2) and 12 black keys
// (c# to d#2).
#include "ui/widgets/Guard.h"
#include <QHash>
#include <QWidget>
#include <array>

class INoteInput;
class KeyMarks;
class QLabel;
class TImageButton;

class TFrmKeyBoard_2 : public QWidget {
    Q_OBJECT
public:
    TFrmKeyBoard_2(INoteInput& notes, IDialogs& dialogs, QWidget* parent = nullptr);

    static constexpr std::array<const char*, 18> Notes{"c",  "d",  "e",  "f",  "g",  "a",  "b",  "c1", "d1",
                                                       "e1", "f1", "g1", "a1", "b1", "c2", "d2", "e2", "f2"};
    static constexpr std::array<const char*, 12> Sharps{"c#",  "d#",  "f#",  "g#",  "a#",  "c#1",
                                                        "d#1", "f#1", "g#1", "a#1", "c#2", "d#2"};
    // PC keys while this keyboard has them (also those that reach the main window).
    void FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void FormKeyUp(int key, Qt::KeyboardModifiers modifiers);

    QLabel* ImgBack = nullptr;                      // the back picture (Qt::PlainText: never markup)
    TImageButton* Img_cx = nullptr;                 // the first black key
    std::array<TImageButton*, 11> ImageButton{};    // ImageButton1..11 at index 0..10
    const std::array<TImageButton*, 18>& WhiteKeys() const { return m_white; }   // left to right, c to f2
    const std::array<TImageButton*, 12>& BlackKeys() const { return m_black; }   // left to right, c# to d#2
    TImageButton* Key(const QString& note) const;    // Img_c ... Img_f2, and the black keys by their sharps
    KeyMarks* Marks = nullptr;                       // lit keys, letters, the demo's presses

Q_SIGNALS:
    // The space bar: the shell turns the score page when one is on view.
    void spacePressed();
    // Esc: the shell stops a running demo or follow mode.
    void escapePressed();

protected:
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;

private:
    void BuildKeys();
    INoteInput& m_notes;
    IDialogs& m_dialogs;
    std::array<TImageButton*, 18> m_white{};
    std::array<TImageButton*, 12> m_black{};
    QHash<int, QString> m_shifted;   // PC key -> the note it pressed with Shift
};

// Virtual-key code of a key event, 0 for a key that has none.
int VirtualKeyOf(const QKeyEvent* e);
