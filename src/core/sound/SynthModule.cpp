#include "core/sound/SynthModule.h"
#include "core/platform/LateLibrary.h"
#include <QDir>

namespace SynthModule {

QStringList DefaultFolders() { return LateLibrary::ModuleFolders(); }

const TavoSynthApi* Open(const QStringList& folders, QString* error)
{
    const QString base = QStringLiteral("tavofluid");
    QString file;
    if (const auto* api =
            LateLibrary::OpenModule<TavoSynthApi>(base, TavoSynthEntryName, TavoSynthApiVersion, folders, &file))
        return api;
    if (file.isEmpty())
        *error = QStringLiteral("没有找到钢琴（采样）音色的模块（%1），仍用标准音色。").arg(base);
    else
        *error = QStringLiteral("钢琴（采样）音色的模块“%1”不能用，仍用标准音色。").arg(QDir::toNativeSeparators(file));
    return nullptr;
}

}   // namespace SynthModule
