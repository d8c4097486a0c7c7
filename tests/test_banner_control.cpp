// The banner control: pictures from files and from the web, empty for anything else.
#include "TestSupport.h"
#include "core/settings/Banner.h"
#include "ui/widgets/BannerView.h"
#include <QBuffer>
#include <QImage>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <sys/stat.h>

namespace {
QByteArray Png(QColor c)
{
    QImage img(20, 10, QImage::Format_RGB32);
    img.fill(c);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return bytes;
}

// A one-shot HTTP server on loopback answering every request with a fixed reply, or with
// a picture that never ends, or with headers and then silence.
class TinyHttp : public QTcpServer {
public:
    enum class Body { Whole, Endless, Silent };
    QByteArray status = "200 OK";
    QByteArray body;
    Body kind = Body::Whole;
    qint64 sent = 0;
    bool closed = false;
    TinyHttp()
    {
        listen(QHostAddress::LocalHost, 0);
        connect(this, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* s = nextPendingConnection();
            connect(s, &QTcpSocket::disconnected, this, [this] { closed = true; });
            connect(s, &QTcpSocket::bytesWritten, s, [this, s](qint64 n) {
                sent += n;
                if (kind == Body::Endless && s->bytesToWrite() < (1 << 16))
                    s->write(QByteArray(1 << 16, 'z'));
            });
            connect(s, &QTcpSocket::readyRead, s, [this, s] {
                if (!s->readAll().contains("\r\n\r\n"))
                    return;
                if (kind != Body::Whole) {
                    s->write("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\n\r\n" + Png(Qt::red));
                    return;
                }
                s->write("HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(body.size()) +
                         "\r\nConnection: close\r\n\r\n" + body);
                s->disconnectFromHost();
            });
        });
    }
    QString url(const QString& path) const
    {
        return QStringLiteral("http://127.0.0.1:%1/%2").arg(serverPort()).arg(path);
    }
};
}

class TestBannerControl : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void filesShowWhatTheyCan()
    {
        TempEnv env;
        const QString jpg = env.root.path() + QStringLiteral("/b.jpg");
        const QString png = env.root.path() + QStringLiteral("/b.png");
        QImage img(30, 20, QImage::Format_RGB32);
        img.fill(Qt::red);
        QVERIFY(img.save(jpg, "JPEG"));
        QVERIFY(img.save(png, "PNG"));
        QFile swf(env.root.path() + QStringLiteral("/m.swf"));
        QVERIFY(swf.open(QIODevice::WriteOnly));
        swf.write("FWS\x09garbage");
        swf.close();

        TShockwaveFlash banner;
        banner.SetMovie(jpg);
        QCOMPARE(banner.Movie(), jpg);
        QCOMPARE(banner.Shown().size(), QSize(30, 20));
        banner.SetMovie(png);
        QCOMPARE(banner.Shown().size(), QSize(30, 20));
        banner.SetMovie(swf.fileName());   // a movie it cannot play: stays empty, no error
        QVERIFY(banner.Shown().isNull());
        QCOMPARE(banner.Movie(), swf.fileName());
        banner.SetMovie(env.root.path() + QStringLiteral("/missing.jpg"));
        QVERIFY(banner.Shown().isNull());
        // Only a regular file, read no further than the cap.
        const QString dir = env.root.path();
        QFile big(dir + QStringLiteral("/big.png"));
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), dir + QStringLiteral("/zero.jpg")) &&
                mkfifo(QFile::encodeName(dir + QStringLiteral("/fifo.png")).constData(), 0600) == 0 &&
                big.open(QIODevice::WriteOnly) && big.write(Png(Qt::red)) && big.resize(FetchBytesLimit + 1));
        for (const char* f : {"/zero.jpg", "/fifo.png", "/big.png"}) {
            banner.SetMovie(dir + QLatin1String(f));
            QVERIFY(banner.Shown().isNull());
        }
        QVERIFY(env.dialogs.errors.isEmpty());
    }

    void webPictureArrivesWithoutBlocking()
    {
        TinyHttp server;
        server.body = Png(Qt::blue);
        TShockwaveFlash banner;
        QSignalSpy loaded(&banner, &TShockwaveFlash::loaded);
        banner.SetMovie(server.url(QStringLiteral("pic.png")));
        QVERIFY(banner.Shown().isNull());   // returned before the answer came
        QVERIFY(loaded.wait(10000));
        QCOMPARE(banner.Shown().size(), QSize(20, 10));
        QCOMPARE(banner.Shown().pixelColor(0, 0), QColor(Qt::blue));
    }

    // An error page (even one that decodes), a picture without end and one that stops
    // coming: the banner stays empty, and the request ends within the limits.
    void webFailuresLeaveItEmpty_data()
    {
        QTest::addColumn<int>("body");
        QTest::newRow("error page") << int(TinyHttp::Body::Whole);
        QTest::newRow("endless") << int(TinyHttp::Body::Endless);
        QTest::newRow("silent") << int(TinyHttp::Body::Silent);
    }
    void webFailuresLeaveItEmpty()
    {
        QFETCH(int, body);
        TinyHttp server;
        server.status = "404 Not Found";
        server.body = Png(Qt::green);
        server.kind = TinyHttp::Body(body);
        TShockwaveFlash banner;
        QSignalSpy loaded(&banner, &TShockwaveFlash::loaded);
        banner.SetMovie(server.url(QStringLiteral("none.jpg")));
        QTRY_VERIFY_WITH_TIMEOUT(server.closed, 3 * int(FetchLimit.count()));
        QVERIFY2(server.sent < 4 * FetchBytesLimit, qPrintable(QString::number(server.sent)));
        QCOMPARE(loaded.count(), 0);
        QVERIFY(banner.Shown().isNull());
    }

    void laterAddressWinsOverSlowEarlierOne()
    {
        TinyHttp server;
        server.body = Png(Qt::blue);
        TempEnv env;
        const QString png = env.root.path() + QStringLiteral("/b.png");
        QImage img(5, 5, QImage::Format_RGB32);
        img.fill(Qt::red);
        QVERIFY(img.save(png, "PNG"));
        TShockwaveFlash banner;
        banner.SetMovie(server.url(QStringLiteral("pic.png")));
        banner.SetMovie(png);
        QSignalSpy loaded(&banner, &TShockwaveFlash::loaded);
        QVERIFY(!loaded.wait(1000));
        QCOMPARE(banner.Shown().size(), QSize(5, 5));
    }

    void scaleModeAndBackground()
    {
        TShockwaveFlash banner;
        banner.SetBackgroundColor(0x123456);
        banner.ResetBackground();
        QCOMPARE(banner.BackgroundColor(), 0);
        banner.SetScaleMode(3);
        QCOMPARE(banner.ScaleMode(), 3);
    }
};

TAVO_TEST_MAIN(TestBannerControl)
#include "test_banner_control.moc"
