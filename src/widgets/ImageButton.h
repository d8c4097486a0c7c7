#pragma once
#include <QImage>
#include <QWidget>

// A picture that behaves like a button by swapping pictures: released, pressed and
// (with CanMouseMove) hover. Pictures are copied in, never shared with the caller.
class TImageButton : public QWidget {
    Q_OBJECT
public:
    explicit TImageButton(QWidget* parent = nullptr);

    const QImage& PictureUp() const { return m_up; }
    const QImage& PictureDown() const { return m_down; }
    const QImage& PictureOver() const { return m_over; }
    void SetPictureUp(const QImage& p) { m_up = p.copy(); }
    void SetPictureDown(const QImage& p) { m_down = p.copy(); }
    void SetPictureOver(const QImage& p) { m_over = p.copy(); }
    bool CanMouseMove() const { return m_canMouseMove; }
    void SetCanMouseMove(bool on) { m_canMouseMove = on; }

    // The displayed picture.
    const QImage& Picture() const { return m_shown; }
    void SetPicture(const QImage& p);
    void ShowUp() { SetPicture(m_up); }
    void ShowDown() { SetPicture(m_down); }
    void SetStretch(bool on) { m_stretch = on; update(); }

Q_SIGNALS:
    void clicked();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;

private:
    QImage m_up, m_down, m_over, m_shown;
    bool m_canMouseMove = false;
    bool m_stretch = true;
    bool m_leftDown = false;
};
