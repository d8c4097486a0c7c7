#include "core/sound/SynthModule.h"
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace SynthModule {

namespace {
const QString BaseName = QStringLiteral("tavofluid");
}

QStringList DefaultFolders()
{
    const QString bin = QCoreApplication::applicationDirPath();
    return {bin, QDir::cleanPath(bin + QStringLiteral("/../lib/tavopiano"))};
}

const TavoSynthApi* Open(const QStringList& folders, QString* error)
{
    for (const QString& folder : folders) {
        // QLibrary adds the platform's prefix and suffix; it is never unloaded (a synth may live on).
        QLibrary library(QDir(folder).filePath(BaseName));
        if (!library.load())
            continue;
        const auto entry = reinterpret_cast<TavoSynthEntry>(library.resolve(TavoSynthEntryName));
        const TavoSynthApi* api = entry ? entry() : nullptr;
        if (api && api->version == TavoSynthApiVersion)
            return api;
        *error = QStringLiteral("钢琴（采样）音色的模块“%1”不能用，仍用标准音色。")
                     .arg(QDir::toNativeSeparators(library.fileName()));
        return nullptr;
    }
    *error = QStringLiteral("没有找到钢琴（采样）音色的模块（%1），仍用标准音色。").arg(BaseName);
    return nullptr;
}

}   // namespace SynthModule
