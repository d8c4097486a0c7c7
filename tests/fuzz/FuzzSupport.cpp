#include "FuzzSupport.h"
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace Fuzz {

const QString& Scratch()
{
    static const QTemporaryDir dir;
    static const QString path = dir.path();
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        std::abort();
    }
    return path;
}

QString WriteInput(const QString& name, const uint8_t* data, size_t size)
{
    const QString path = Scratch() + u'/' + name;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        f.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::abort();
    }
    return path;
}

} // namespace Fuzz
