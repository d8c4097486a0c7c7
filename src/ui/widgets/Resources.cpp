#include "ui/widgets/Resources.h"
#include <QGuiApplication>
#include <QHash>

int PictureScale()
{
    return qGuiApp && qGuiApp->devicePixelRatio() > 1 ? 2 : 1;
}

QImage ReadResourceImage(const QString& path, int scale)
{
    if (scale > 1) {
        QString name = path;
        name.insert(path.lastIndexOf(QLatin1Char('.')), QStringLiteral("@2x"));
        QImage img(QStringLiteral(":/") + name);
        if (!img.isNull()) {
            img.setDevicePixelRatio(2);
            return img;
        }
    }
    return QImage(QStringLiteral(":/") + path);
}

QImage ResourceImage(const QString& path)
{
    // Many keys share a picture; decode each one once (QImage is shared, copies are cheap).
    // The resources never change, so this cache holds no program state.
    static QHash<QString, QImage> decoded;
    auto it = decoded.constFind(path);
    if (it == decoded.constEnd())
        it = decoded.insert(path, ReadResourceImage(path, PictureScale()));
    return *it;
}
