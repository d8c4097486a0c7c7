#include "ui/widgets/Resources.h"
#include <QDirIterator>
#include <QGuiApplication>
#include <QHash>
#include <QMutex>
#include <QResource>
#include <QSet>
#include <QWaitCondition>

int PictureScale()
{
    return qGuiApp && qGuiApp->devicePixelRatio() > 1 ? 2 : 1;
}

namespace {
// The uncompressed background is read here, not through the image readers: their first use
// loads every image plugin, and the background is wanted before anything else is drawn.
QImage ReadPixmapFile(const QString& resource)
{
    const QResource r(resource);
    if (!r.isValid() || r.compressionAlgorithm() != QResource::NoCompression)
        return QImage(resource);
    const QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(r.data()), qsizetype(r.size()));
    // "P6 <width> <height> 255" and one whitespace character, then the rows of RGB bytes.
    const QList<QByteArray> head = data.left(64).simplified().split(' ');
    if (head.size() < 4 || head[0] != "P6" || head[3] != "255")
        return QImage(resource);
    const int w = head[1].toInt(), h = head[2].toInt();
    qsizetype start = 1;
    for (int fields = 0; fields < 4 && start < data.size(); ++start)
        if (QChar::isSpace(uchar(data[start])) && !QChar::isSpace(uchar(data[start - 1])))
            ++fields;
    if (w <= 0 || h <= 0 || data.size() - start < qsizetype(w) * h * 3)
        return QImage(resource);
    return QImage(reinterpret_cast<const uchar*>(data.constData() + start), w, h, w * 3, QImage::Format_RGB888)
        .convertToFormat(QImage::Format_RGB32);
}

QImage ReadOne(const QString& resource)
{
    return resource.endsWith(QLatin1String(".ppm")) ? ReadPixmapFile(resource) : QImage(resource);
}
}

QImage ReadResourceImage(const QString& path, int scale)
{
    if (scale > 1) {
        QString name = path;
        name.insert(path.lastIndexOf(QLatin1Char('.')), QStringLiteral("@2x"));
        QImage img = ReadOne(QStringLiteral(":/") + name);
        if (!img.isNull()) {
            img.setDevicePixelRatio(2);
            return img;
        }
    }
    return ReadOne(QStringLiteral(":/") + path);
}

QImage ResourceImage(const QString& path, int scale)
{
    // Many keys share a picture; decode each one once (QImage is shared, copies are cheap).
    static QMutex lock;
    static QWaitCondition done;
    static QHash<QString, QImage> decoded;
    static QSet<QString> decoding;
    QMutexLocker hold(&lock);
    while (decoding.contains(path))
        done.wait(&lock);
    if (auto it = decoded.constFind(path); it != decoded.constEnd())
        return *it;
    // Decoded outside the lock: a worker and the window decode different pictures at once.
    decoding.insert(path);
    hold.unlock();
    const QImage image = ReadResourceImage(path, scale);
    hold.relock();
    decoding.remove(path);
    done.wakeAll();
    return *decoded.insert(path, image);
}

QImage ResourceImage(const QString& path)
{
    return ResourceImage(path, PictureScale());
}

namespace {
// The second keyboard and the about panel open in a few milliseconds from cold, and their
// pictures are large to keep in memory for a window that may never be opened.
bool OpensQuickly(const QString& path)
{
    return path.startsWith(QLatin1String("pic/kb2_")) || path.startsWith(QLatin1String("pic/about"));
}
}

QStringList WindowPictures()
{
    // The background first: the window sets it last, after the pictures it decodes itself.
    QStringList paths{QStringLiteral("pic/back.ppm")};
    for (const char* menu : {"play", "write", "help", "about"})
        paths << QStringLiteral("pic/menu_%1.png").arg(QLatin1String(menu));
    paths << QStringLiteral("pic/title.png") << QStringLiteral("pic/bottom.png");
    for (const char* key : {"cf", "dga", "eb"})
        for (const char* state : {"up", "down"})
            paths << QStringLiteral("pic/key_%1_%2.jpg").arg(QLatin1String(key), QLatin1String(state));
    paths << QStringLiteral("pic/key_black_down.png");
    return paths;
}

QStringList PanelPictures()
{
    QStringList paths;
    for (const char* folder : {"glyph", "pic"})
        for (QDirIterator it(QStringLiteral(":/") + QLatin1String(folder)); it.hasNext();)
            if (const QString p = it.next().mid(2); !p.contains(QLatin1String("@2x")) && !OpensQuickly(p))
                paths << p;
    return paths;
}
