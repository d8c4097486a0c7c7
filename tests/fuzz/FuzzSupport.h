#pragma once
// What the readers' fuzz targets share. Each fuzz_<reader>.cpp defines one entry in
// namespace Fuzz; built for libFuzzer it becomes LLVMFuzzerTestOneInput, built into the
// corpus test (TAVO_FUZZ_DRIVER) the test calls every entry on its own seed folder.
#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace Fuzz {

int Jianpu(const uint8_t* data, size_t size);
int MusicXml(const uint8_t* data, size_t size);
int Mxl(const uint8_t* data, size_t size);
int Midi(const uint8_t* data, size_t size);
int Exchange(const uint8_t* data, size_t size);
int Preferences(const uint8_t* data, size_t size);
int Results(const uint8_t* data, size_t size);
int Banner(const uint8_t* data, size_t size);
int BannerPage(const uint8_t* data, size_t size);

inline QByteArray Bytes(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// A folder of this process's own, removed when it ends, for the readers that take a path.
const QString& Scratch();

// Writes the input as the file `name` in the scratch folder and returns its path.
QString WriteInput(const QString& name, const uint8_t* data, size_t size);

} // namespace Fuzz

#ifdef TAVO_FUZZ_DRIVER
#define TAVO_FUZZ_TARGET(entry)
#else
// Settings and temporary folders want an application object; libFuzzer gives no main.
#define TAVO_FUZZ_TARGET(entry)                                                    \
    extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)                   \
    {                                                                              \
        static QCoreApplication app(*argc, *argv);                                 \
        return 0;                                                                  \
    }                                                                              \
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)        \
    {                                                                              \
        return Fuzz::entry(data, size);                                            \
    }
#endif
