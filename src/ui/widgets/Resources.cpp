#include "ui/widgets/Resources.h"
#include <QHash>

QImage ResourceImage(const QString& path)
{
    // Many keys share a picture; decode each one once (QImage is shared, copies are cheap).
    // The resources never change, so this cache holds no program state.
    static QHash<QString, QImage> decoded;
    auto it = decoded.constFind(path);
    if (it == decoded.constEnd())
        it = decoded.insert(path, QImage(QStringLiteral(":/") + path));
    return *it;
}
