#pragma once
// The small tempo control beside the practice buttons: "♩= n" with two small arrows,
// changed by the arrows or by the mouse wheel (by 10 with Shift), or typed after a click
// on the number.
#include <QTimer>
#include <QWidget>

class QLineEdit;

class TempoControl : public QWidget {
    Q_OBJECT
public:
    TempoControl(QWidget* parent, int minimum, int maximum, int value);

    int Value() const { return m_value; }
    void SetValue(int value);   // kept within the range
    // Where the arrows lie, for whoever clicks them.
    QRect UpArrow() const;
    QRect DownArrow() const;
    static constexpr int ShiftStep = 10;
    // Opens the box that takes a typed tempo: Enter (or leaving it) sets it, Esc keeps the old one.
    void BeginTyping();
    QLineEdit* TypingBox() const { return m_edit; }

Q_SIGNALS:
    void valueChanged(int value);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void Step();
    void EndTyping(bool keep);
    int m_min, m_max, m_value;
    int m_held = 0;        // +1 or -1 while an arrow is held down
    int m_wheelRest = 0;   // a fine-stepping wheel's part of a notch
    QTimer m_repeat;
    QLineEdit* m_edit = nullptr;
};
