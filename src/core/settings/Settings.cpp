#include "core/settings/Settings.h"
#include "core/files/FileOps.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

QString SettingsFolder(const QString& homeDir)
{
#ifdef Q_OS_WIN
    return homeDir;
#else
    Q_UNUSED(homeDir);
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
#endif
}

QString SettingsFilePath(const QString& folder)
{
    return folder + u'/' + SettingsFileName;
}

QString BannerFilePath(const QString& folder)
{
    return folder + u'/' + BannerFileName;
}

void MarkHidden(const QString& path)
{
#ifdef Q_OS_WIN
    SetFileAttributesW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(path).utf16()), FILE_ATTRIBUTE_HIDDEN);
#else
    Q_UNUSED(path);
#endif
}

bool UnreadableFile(const QString& path)
{
    const FileRead read = ReadFileBounded(path, SettingsFileLimit);
    return read.fault != FileRead::Fault::None && read.fault != FileRead::Fault::Missing;
}

BannerLinkList LoadSettingsFiles(const QString& folder, QString* problem)
{
    const QString settings = SettingsFilePath(folder);
    if (!QFileInfo::exists(settings)) {
        QDir().mkpath(folder);
        for (const char* key : {"commision", "stamptax", "transfer", "otherfee", "precision"})
            IniWriteString(settings, QStringLiteral("cfg"), QLatin1String(key), QStringLiteral("0"));
        MarkHidden(settings);
    }

    BannerLinkList links{};
    const QString banner = BannerFilePath(folder);
    // One look before the sixty reads: a pipe or a huge file is named once and skipped.
    const FileRead read = ReadFileBounded(banner, SettingsFileLimit);
    if (!read.ok()) {
        if (read.fault != FileRead::Fault::Missing && problem)
            *problem = QStringLiteral("设置文件“%1”无法读取：%2。这次不用它。")
                           .arg(QDir::toNativeSeparators(banner), read.reason);
        return links;
    }
    int slot = 1;
    for (int n = 1; n <= BannerSlotCount; ++n) {
        const QString key = QString::number(n);
        const QString info = IniReadString(banner, QStringLiteral("info"), key, QString());
        const QString link = IniReadString(banner, QStringLiteral("link"), key, QString());
        if (info.isEmpty() || link.isEmpty())
            continue;
        links[slot++] = link;
    }
    return links;
}
