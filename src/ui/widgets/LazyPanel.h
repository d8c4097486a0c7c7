#pragma once
// A part of the window built the first time anything asks for it. Most starts never open
// most panels, and building them all before the window shows was most of the start-up.
#include <functional>
#include <utility>

template <class T>
class LazyPanel {
public:
    explicit LazyPanel(std::function<T*()> build) : m_build(std::move(build)) {}
    LazyPanel(const LazyPanel&) = delete;
    LazyPanel& operator=(const LazyPanel&) = delete;

    // Building is not a change anyone sees, so a const window may build its panels.
    T* Get() const
    {
        if (!m_panel)
            m_panel = m_build();
        return m_panel;
    }
    T* operator->() const { return Get(); }
    T& operator*() const { return *Get(); }
    operator T*() const { return Get(); }
    // Without building it: null while nobody has asked.
    T* IfBuilt() const { return m_panel; }

private:
    std::function<T*()> m_build;
    mutable T* m_panel = nullptr;   // owned by its parent widget
};
