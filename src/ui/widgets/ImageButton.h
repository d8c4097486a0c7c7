#pragma once
#include <QImage>
#include <QWidget>

// A picture that behaves like a button by swapping pictures: released, pressed and
// (with CanMouseMove) hover. The three pictures are owned by the button and set by
// value, so a caller changing its own image afterwards never changes a key; showing
// one of them copies it into the displayed picture.
class TImageButton : public QWidget {
    Q_OBJECT
public:
    explicit TImageButton(QWidget* parent = nullptr);

    const QImage& PictureUp() const { return m_up; }
    const QImage& PictureDown() const { return m_down; }
    const QImage& PictureOver() const { return m_over; }
    void SetPictureUp(const QImage& p) { m_up = p; }
    void SetPictureDown(const QImage& p) { m_down = p; }
    void SetPictureOver(const QImage& p) { m_over = p; }
    bool CanMouseMove() const { return m_canMouseMove; }
    void SetCanMouseMove(bool on) { m_canMouseMove = on; }

    // The displayed picture: whatever was shown last.
    const QImage& Picture() const { return m_shown; }
    void SetPicture(const QImage& p);
    void ShowUp() { SetPicture(m_up); }
    void ShowDown() { SetPicture(m_down); }
    void ShowOver() { SetPicture(m_over); }
    bool IsShowingUp() const { return m_shown == m_up; }
    bool IsShowingDown() const { return m_shown == m_down; }

    bool Stretch() const { return m_stretch; }
    void SetStretch(bool on);

Q_SIGNALS:
    // A left press followed by a left release over the control.
    void clicked();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;

private:
    QImage m_up, m_down, m_over, m_shown;
    bool m_canMouseMove = false;
    bool m_stretch = false;
    bool m_leftDown = false;
};

// A button at its place showing its released picture, as every key and switch starts.
TImageButton* NewImageButton(QWidget* parent, const QRect& geometry, const QImage& up, const QImage& down);
