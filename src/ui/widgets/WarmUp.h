#pragma once
#include <QStringList>
#include <thread>

// Work done on a worker thread ahead of need, so the window and the panels find it ready:
// pictures, then the system's font list (read before the first text is drawn). What the
// window asks for sooner it does itself, or waits for when it is already under way.
class WarmUp {
public:
    WarmUp() = default;
    ~WarmUp() { Wait(); }
    WarmUp(const WarmUp&) = delete;
    WarmUp& operator=(const WarmUp&) = delete;
    void Start(bool fontList, const QStringList& pictures);
    void Wait();

private:
    std::thread m_worker;
};
