#pragma once
#include <QImage>
#include <QPointer>
#include <QWidget>

class BoundedFetch;

// The banner player: shows a .jpg/.png picture from a regular file or an http(s) address,
// each read with a size cap and a web picture within the fetch's time limit. Anything it
// cannot show leaves it empty; nothing it does is reported or waited for.
class TShockwaveFlash : public QWidget {
    Q_OBJECT
public:
    explicit TShockwaveFlash(QWidget* parent = nullptr);

    QString Movie() const { return m_movie; }
    void SetMovie(const QString& address);
    int ScaleMode() const { return m_scaleMode; }   // 2 stretch, 3 natural size
    void SetScaleMode(int mode);
    int BackgroundColor() const { return m_background; }
    void SetBackgroundColor(int color);
    // Reads the background colour and sets it to 0 when it is not 0.
    void ResetBackground();
    const QImage& Shown() const { return m_image; }

Q_SIGNALS:
    void loaded();   // a picture arrived (tests wait on it)

protected:
    void paintEvent(QPaintEvent*) override;
    // A press on the banner is the banner's own; it never moves the window.
    void mousePressEvent(QMouseEvent* e) override;

private:
    void takeBytes(const QByteArray& data);
    QString m_movie;
    int m_scaleMode = 0;
    int m_background = 0xFFFFFF;
    QImage m_image;
    QPointer<BoundedFetch> m_fetch;
};
