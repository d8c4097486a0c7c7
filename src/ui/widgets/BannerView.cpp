#include "ui/widgets/BannerView.h"
#include "core/files/FileOps.h"
#include "core/settings/Banner.h"
#include <QBuffer>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

namespace {
// Far more than the 620 × 230 box needs.
constexpr int MaxPictureSide = 4096;
}

TShockwaveFlash::TShockwaveFlash(QWidget* parent) : QWidget(parent) {}

void TShockwaveFlash::SetMovie(const QString& address)
{
    m_movie = address;
    m_image = QImage();
    delete m_fetch;   // a later address wins over a slower earlier one
    const QString trimmed = address.trimmed();
    const QString lower = trimmed.toLower();
    if (lower.startsWith(QLatin1String("http://")) || lower.startsWith(QLatin1String("https://"))) {
        m_fetch = new BoundedFetch(QUrl(trimmed), FetchLimit, FetchBytesLimit, this);
        connect(m_fetch, &BoundedFetch::finished, this, [this](const QByteArray& body) {
            m_fetch->deleteLater();
            takeBytes(body);
        });
        connect(m_fetch, &BoundedFetch::failed, m_fetch, &QObject::deleteLater);
    } else if (const std::optional<QByteArray> bytes = ReadRegularFile(address, FetchBytesLimit)) {
        takeBytes(*bytes);
    }
    update();
}

void TShockwaveFlash::takeBytes(const QByteArray& data)
{
    // A small file may still claim a huge picture: its size is read before any pixel.
    QBuffer buffer;
    buffer.setData(data);
    QImageReader reader(&buffer);
    reader.setAllocationLimit(64);   // MB
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > MaxPictureSide || size.height() > MaxPictureSide)
        return;
    QImage image;
    if (!reader.read(&image))   // a movie or anything else: stay empty
        return;
    m_image = image;
    update();
    Q_EMIT loaded();
}

void TShockwaveFlash::SetScaleMode(int mode)
{
    m_scaleMode = mode;
    update();
}

void TShockwaveFlash::SetBackgroundColor(int color)
{
    m_background = color;
    update();
}

void TShockwaveFlash::ResetBackground()
{
    if (BackgroundColor() != 0)
        SetBackgroundColor(0);
}

void TShockwaveFlash::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    // The colour is kept as the layouts keep it: 0x00BBGGRR.
    p.fillRect(rect(), QColor(m_background & 0xFF, (m_background >> 8) & 0xFF, (m_background >> 16) & 0xFF));
    if (m_image.isNull())
        return;
    if (m_scaleMode == 3)
        p.drawImage(QPoint(0, 0), m_image);
    else
        p.drawImage(rect(), m_image);
}

void TShockwaveFlash::mousePressEvent(QMouseEvent* e)
{
    e->accept();
}
