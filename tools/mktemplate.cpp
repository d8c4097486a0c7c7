// Builds the empty exchange file that every song export starts from. An existing
// template is left alone.
#include "core/Errors.h"
#include "core/library/Exchange.h"
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: tavo_mktemplate <ExpData.dat>\n");
        return 2;
    }
    const QString target = args.at(1);
    if (QFileInfo::exists(target)) {
        std::printf("%s exists; left as it is\n", qPrintable(QDir::toNativeSeparators(target)));
        return 0;
    }
    try {
        if (!QDir().mkpath(QFileInfo(target).absolutePath()))
            Raise(QStringLiteral("Cannot make the folder of \"%1\".").arg(QDir::toNativeSeparators(target)));
        // Made beside the target and moved in whole, so a failed run leaves nothing
        // that a later build would take for a finished template.
        const QString part = target + QStringLiteral(".part");
        QFile::remove(part);
        CreateExchangeFile(part);
        if (!QFile::rename(part, target)) {
            QFile::remove(part);
            Raise(QStringLiteral("Cannot write \"%1\".").arg(QDir::toNativeSeparators(target)));
        }
        std::printf("%s: empty exchange file\n", qPrintable(QDir::toNativeSeparators(target)));
    } catch (const TavoError& e) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(QDir::toNativeSeparators(target)), e.what());
        return 1;
    }
    return 0;
}
