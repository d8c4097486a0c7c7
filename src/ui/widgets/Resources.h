#pragma once
#include <QImage>
#include <QString>
#include <QStringList>
#include <thread>

// Picture of a generated resource by its path below ":/" (e.g. "pic/back.png"), decoded once.
// Safe from any thread: the pictures never change, so the cache holds no program state.
QImage ResourceImage(const QString& path);

// Every picture of the panels, the glyphs and the second keyboard (paths below ":/").
QStringList PanelPictures();

// Decodes pictures on a worker thread ahead of their first use, so a panel opened for the
// first time finds them ready; one asked for sooner is decoded where it is asked for.
class PictureWarmer {
public:
    PictureWarmer() = default;
    ~PictureWarmer() { Wait(); }
    PictureWarmer(const PictureWarmer&) = delete;
    PictureWarmer& operator=(const PictureWarmer&) = delete;
    void Start(const QStringList& paths);
    void Wait();

private:
    std::thread m_worker;
};
