#pragma once
#include <QStringList>
#include <thread>

// Pictures decoded on a worker thread ahead of need, so the window and the panels find them
// ready. One the window asks for sooner it decodes itself, or waits for when it is under way.
class WarmUp {
public:
    WarmUp() = default;
    ~WarmUp() { Wait(); }
    WarmUp(const WarmUp&) = delete;
    WarmUp& operator=(const WarmUp&) = delete;
    void Start(const QStringList& pictures);
    void Wait();

private:
    std::thread m_worker;
};
