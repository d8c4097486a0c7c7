#include "ui/widgets/BannerView.h"
#include <QFile>
#include <QMouseEvent>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPainter>
#include <QUrl>

TShockwaveFlash::TShockwaveFlash(QWidget* parent) : QWidget(parent) {}

void TShockwaveFlash::SetMovie(const QString& address)
{
    m_movie = address;
    m_image = QImage();
    if (m_reply) {
        m_reply->abort();
        m_reply = nullptr;
    }
    const QString lower = address.trimmed().toLower();
    if (lower.startsWith(QLatin1String("http://")) || lower.startsWith(QLatin1String("https://"))) {
        if (!m_net)
            m_net = new QNetworkAccessManager(this);
        QNetworkRequest request{QUrl(address.trimmed())};
        request.setTransferTimeout(15000);
        QNetworkReply* reply = m_net->get(request);
        m_reply = reply;
        connect(reply, &QNetworkReply::finished, this, [this, reply] {
            reply->deleteLater();
            if (reply != m_reply)
                return;
            m_reply = nullptr;
            if (reply->error() == QNetworkReply::NoError)
                takeBytes(reply->readAll());
        });
    } else if (!address.isEmpty()) {
        QFile file(address);
        if (file.open(QIODevice::ReadOnly) && file.size() < 64 * 1024 * 1024)
            takeBytes(file.readAll());
    }
    update();
}

void TShockwaveFlash::takeBytes(const QByteArray& data)
{
    QImage image;
    if (!image.loadFromData(data))   // a movie or anything else: stay empty
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
