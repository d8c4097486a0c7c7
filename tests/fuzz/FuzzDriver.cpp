// Runs every seed of every reader once, without libFuzzer: the corpus as an ordinary test.
// Under the sanitizer build a seed that trips a report fails it. Arguments: the corpus folder
// (one folder per reader), optionally followed by readers' names to run only those.
#include "FuzzSupport.h"
#include <QDir>
#include <QFile>
#include <QStringList>
#include <cstdio>

namespace {

struct Target {
    const char* folder;
    int (*entry)(const uint8_t*, size_t);
};

constexpr Target Targets[] = {
    {"jianpu", Fuzz::Jianpu},       {"musicxml", Fuzz::MusicXml},       {"mxl", Fuzz::Mxl},
    {"midi", Fuzz::Midi},           {"exchange", Fuzz::Exchange},       {"preferences", Fuzz::Preferences},
    {"results", Fuzz::Results},     {"banner", Fuzz::Banner},           {"bannerpage", Fuzz::BannerPage},
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: test_fuzz_corpus <corpus folder> [reader ...]\n");
        return 2;
    }
    const QStringList only = args.mid(2);
    int failures = 0;
    for (const Target& t : Targets) {
        const QString name = QString::fromLatin1(t.folder);
        if (!only.isEmpty() && !only.contains(name))
            continue;
        const QDir dir(args.at(1) + u'/' + name);
        const QStringList seeds = dir.entryList(QDir::Files, QDir::Name);
        // A reader without seeds is a slip in the corpus, not a pass.
        if (seeds.isEmpty()) {
            std::fprintf(stderr, "FAIL %s: no seeds in %s\n", t.folder, qPrintable(dir.path()));
            ++failures;
            continue;
        }
        for (const QString& seed : seeds) {
            QFile f(dir.filePath(seed));
            if (!f.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "FAIL %s: cannot read %s\n", t.folder, qPrintable(seed));
                ++failures;
                continue;
            }
            const QByteArray bytes = f.readAll();
            t.entry(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
        }
        std::printf("%s: %lld seeds read\n", t.folder, static_cast<long long>(seeds.size()));
    }
    return failures == 0 ? 0 : 1;
}
