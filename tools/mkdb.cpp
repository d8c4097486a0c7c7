// Builds the starter song database from assets/songs.txt. An existing database is
// left alone: it holds the user's own songs.
#include "core/Errors.h"
#include "core/library/Password.h"
#include "core/library/Database.h"
#include "core/library/SongRows.h"
#include "core/formats/JianpuText.h"
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: tavo_mkdb <songs.txt> <Opern.dat>\n");
        return 2;
    }
    const QString source = args.at(1);
    const QString target = args.at(2);
    if (QFileInfo::exists(target)) {
        std::printf("%s exists; left as it is\n", qPrintable(QDir::toNativeSeparators(target)));
        return 0;
    }
    try {
        QFile in(source);
        if (!in.open(QIODevice::ReadOnly))
            Raise(QStringLiteral("Cannot read \"%1\".").arg(QDir::toNativeSeparators(source)));
        const QString date = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
        const auto songs = ParseSongText(QString::fromUtf8(in.readAll()), date);
        if (songs.empty())
            Raise(QStringLiteral("\"%1\" holds no songs.").arg(QDir::toNativeSeparators(source)));
        QDir().mkpath(QFileInfo(target).absolutePath());
        // Build beside the target and move it in whole, so a failed run leaves no
        // half-made database that a later build would take for the user's own.
        const QString part = target + QStringLiteral(".part");
        QFile::remove(part);
        CreateSongDatabase(part, DeriveDatabasePassword(QByteArray(PasswordSeed)), SongTextRows(songs));
        if (!QFile::rename(part, target)) {
            QFile::remove(part);
            Raise(QStringLiteral("Cannot write \"%1\".").arg(QDir::toNativeSeparators(target)));
        }
        std::printf("%s: %d songs\n", qPrintable(QDir::toNativeSeparators(target)), int(songs.size()));
    } catch (const TavoError& e) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(QDir::toNativeSeparators(source)), e.what());
        return 1;
    }
    return 0;
}
