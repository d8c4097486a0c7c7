#include "core/platform/LateLibrary.h"
#include <QCoreApplication>
#include <QDir>

namespace LateLibrary {

bool Load(QLibrary& library, std::initializer_list<Name> names, QByteArray* why)
{
    for (const Name& name : names) {
        if (name.major >= 0)
            library.setFileNameAndVersion(QString::fromLatin1(name.file), name.major);
        else
            library.setFileName(QString::fromLatin1(name.file));
        if (library.load())
            return true;
    }
    *why = library.errorString().toLocal8Bit();
    return false;
}

QStringList ModuleFolders()
{
    const QString bin = QCoreApplication::applicationDirPath();
    return {bin, QDir::cleanPath(bin + QStringLiteral("/../lib/tavopiano"))};
}

QFunctionPointer ModuleEntry(const QString& baseName, const char* entryName, const QStringList& folders, QString* file)
{
    file->clear();
    for (const QString& folder : folders) {
        // QLibrary adds the platform's prefix and suffix.
        QLibrary library(QDir(folder).filePath(baseName));
        if (!library.load())
            continue;
        *file = library.fileName();
        return library.resolve(entryName);
    }
    return nullptr;
}

}   // namespace LateLibrary
