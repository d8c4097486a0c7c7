// Numbered-notation text: a .txt import or a paste, decoded as the import decodes a file,
// read in both modes; a song that reads is written back as the 文本 window shows it.
#include "FuzzSupport.h"
#include "core/Errors.h"
#include "core/formats/JianpuText.h"
#include "core/library/TextImport.h"
#include <cstdio>
#include <cstdlib>

int Fuzz::Jianpu(const uint8_t* data, size_t size)
{
    const QString text = DecodeSongText(Bytes(data, size));
    const QString date = QStringLiteral("20260101");
    const JianpuParse paste = ParseJianpu(text, JianpuOptions{JianpuMode::Paste, date, int(size % 2)});
    (void)paste.summary();
    if (paste.ok()) {
        // What the writer makes of a song must read again as a song.
        const QString written = WriteJianpu(paste.songs.at(0).song);
        const JianpuParse again = ParseJianpu(written, JianpuOptions{JianpuMode::Paste, date, 1});
        if (!again.ok()) {
            std::fprintf(stderr, "written text does not read again: %s\n%s\n", qPrintable(again.error->text()),
                         qPrintable(written));
            std::abort();
        }
    }
    (void)ParseJianpu(text, JianpuOptions{JianpuMode::Library, date, 1});
    try {
        (void)ParseSongText(text, date);
    } catch (const TavoError&) {
    }
    return 0;
}

TAVO_FUZZ_TARGET(Jianpu)
