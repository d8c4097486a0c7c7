#pragma once
// What the practice modes and the key letters show on a keyboard's keys: the demo's notes
// pressed, the awaited key lit with its letter, a wrong key flashed red, every letter on
// request, and an arrow at the keyboard's edge for a note it has no key for.
#include "core/input/KeyMaps.h"
#include <QObject>
#include <QRect>
#include <QString>
#include <QTimer>
#include <span>
#include <vector>

class QLabel;
class QWidget;
class TImageButton;
class KeyCapView;

class KeyMarks : public QObject {
    Q_OBJECT
public:
    struct Key {
        QString note;
        TImageButton* button;
    };
    // keys, the lowest first (black keys by their sharps, e.g. "c#1"); map gives each key's
    // letter ("⇧H" for a shifted one); the arrows sit at low and high.
    KeyMarks(QWidget* keyboard, std::vector<Key> keys, std::span<const KeyRow> map, const QRect& low,
             const QRect& high);

    void SetLetters(bool on);
    // Each takes a note name, natural or sharp; a note with no key here shows the arrow.
    void Await(const QString& note);            // "" lights none
    void Wrong(const QString& note);            // a short red flash
    void Demo(const QString& note, bool down);  // the key shown pressed or released

    QLabel* Hint = nullptr;   // "↓" or "↑" for a note beyond the keys (Qt::PlainText)
    bool Letters() const { return m_letters; }
    QString Awaited() const { return m_awaited; }
    bool IsWrong(const QString& note) const;
    QString Letter(const QString& note) const;   // drawn on the key now, "" when none

private:
    int IndexOf(const QString& note) const;
    void ShowHint(const QString& note, bool on);
    void Refresh();

    std::vector<Key> m_keys;
    std::vector<KeyCapView*> m_caps;
    std::vector<QString> m_letterOf;
    QRect m_low, m_high;
    bool m_letters = false;
    QString m_awaited, m_wrong, m_hinted;
    QTimer m_flash;
};
