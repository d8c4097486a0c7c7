#pragma once
// A disk that fills and a pipe in a file's place, for the tests of every file the program
// reads and writes. Both need a POSIX system; elsewhere the tests skip.
#include "core/score/SongRecord.h"
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#ifdef Q_OS_UNIX
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

// While it lives, no regular file of this process grows past `bytes`: a write beyond fails
// with EFBIG as it would with ENOSPC on a full disk, without needing a small disk.
class FullDisk {
public:
    explicit FullDisk(rlim_t bytes)
    {
        m_oldSignal = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        m_ok = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FullDisk()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldSignal);
    }
    bool ok() const { return m_ok; }

private:
    rlimit m_old {};
    void (*m_oldSignal)(int) = nullptr;
    bool m_ok = false;
};

// Runs read here, in the test's thread. Should it wait on the pipe at fifo, a guard gives
// the pipe a writer that closes at once, which lets the read go on; the answer is then false.
inline bool ReturnsWithoutWaiting(const QString& fifo, const std::function<void()>& read)
{
    std::atomic<bool> done{false};
    std::atomic<bool> waited{false};
    const QByteArray path = QFile::encodeName(fifo);
    std::thread guard([&] {
        using namespace std::chrono_literals;
        const auto until = std::chrono::steady_clock::now() + 10s;
        while (!done && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(5ms);
        while (!done) {
            waited = true;
            const int fd = ::open(path.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
            std::this_thread::sleep_for(5ms);
        }
    });
    read();
    done = true;
    guard.join();
    return !waited;
}
#endif

inline bool WriteFileBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.flush();
}

inline QByteArray ReadBack(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

// Everything in a folder, hidden files included: a failed write leaves no temporary behind.
inline QStringList FolderEntries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// A song of a header and eight cells, to write under the faults above.
inline SongTableType SmallSong()
{
    SongTableType rows{SongRecord{1, 0, QStringLiteral("小歌"), QStringLiteral("佚名"), "1", "2", 1, "0", "20100301"}};
    for (int i = 1; i <= 8; ++i)
        rows.push_back(
            SongRecord{1, i, QStringLiteral("小歌"), QString::number(i % 7 + 1), "1", "2", i % 3, "1", "20100301"});
    return rows;
}
