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
    // With font families, the font list is read after the pictures and their fallbacks looked
    // up: both are shared by every thread, and the window's first paint would pay for them.
    void Start(const QStringList& pictures, const QStringList& fontFamilies = {});
    void Wait();

private:
    std::thread m_worker;
};
