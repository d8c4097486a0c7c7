#pragma once
// Small file helpers: ini values, and copy and delete without prompts.
#include "core/Errors.h"
#include <QByteArray>
#include <QString>
#include <optional>

// Settings files beyond this are skipped, never read.
inline constexpr qint64 SettingsFileLimit = 256 * 1024;

// Text from a file or the web: UTF-8 when it is valid, else the system's code page (GB18030).
QString DecodeText(const QByteArray& bytes);

QString IniReadString(const QString& file, const QString& section, const QString& key, const QString& def);
void IniWriteString(const QString& file, const QString& section, const QString& key, const QString& value);
bool CopyFiles(const QString& from, const QString& to);
bool DeleteFiles(const QString& path);
// The size as a message gives it: "256 KB", "4 MB".
QString SizeText(qint64 bytes);

// What reading a file from elsewhere came to.
struct FileRead {
    enum class Fault { None, Missing, NotRegular, TooLarge, Unreadable };
    QByteArray bytes;
    Fault fault = Fault::None;
    QString reason;   // in words for a message ("文件太大（超过 2 MB）"); empty when read
    bool ok() const { return fault == Fault::None; }
};
// Every file the program reads comes through here: the whole of a regular file (a link to
// one counts) of at most cap bytes. A pipe, a device or a folder is refused at once, never
// waited on; a larger file is refused before it is read, and no more than cap + 1 bytes are
// ever read, whatever size the file reports.
FileRead ReadFileBounded(const QString& path, qint64 cap);
// The bytes alone, for callers that treat every fault alike.
std::optional<QByteArray> ReadRegularFile(const QString& path, qint64 cap);

// A file that could not be written: the message, and the reason alone for callers with their own.
class FileWriteError : public TavoError {
public:
    FileWriteError(const QString& text, QString reason) : TavoError(text), m_reason(std::move(reason)) {}
    const QString& reason() const noexcept { return m_reason; }
private:
    QString m_reason;
};

// A new version of a file, written into a temporary beside it and put in its place only
// when it is whole: a full disk or any other failure leaves the old file as it was.
class FileReplacement {
public:
    // Raises "无法写入文件…" when no temporary can be made beside path.
    explicit FileReplacement(const QString& path);
    ~FileReplacement();   // removes a temporary that was not committed
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Where the new version is written (an empty file at first).
    const QString& TempPath() const { return m_temp; }
    // Checks the temporary holds expectedSize bytes (-1: the caller checked it) and moves it
    // over the target; raises otherwise.
    void Commit(qint64 expectedSize);
    // Raises a FileWriteError naming the target, with reason.
    [[noreturn]] void Fail(const QString& reason);

private:
    QString m_target;   // what a link at the path points to, so the link stays
    QString m_shown;
    QString m_temp;
};

// Writes the whole file or nothing, through a FileReplacement; a failure is a TavoError naming
// the file, and an old file stays.
void WriteWholeFile(const QString& path, const QByteArray& bytes);
