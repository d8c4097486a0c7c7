// Exchange files (.opr) as the import reads them. The password is in every copy of the
// program, so a stranger can put any database into one: a seed that is a plain database
// is keyed into an exchange file first (the mutations then reach the tables, not the
// cipher); any other input is taken as the exchange file itself.
#include "FuzzSupport.h"
#include "core/library/Exchange.h"
#include <QFile>
#include <cstring>

#define SQLITE_HAS_CODEC 1
#include <sqlcipher/sqlite3.h>

namespace {

// Keying a hostile database must end too: the copy stops after this many engine steps.
int StopCopy(void* steps)
{
    return ++*static_cast<int*>(steps) > 20000;
}

bool KeyInto(const QString& plain, const QString& file)
{
    QFile::remove(file);
    sqlite3* db = nullptr;
    // The flags carry over to the attached file, which is made new.
    bool ok = sqlite3_open_v2(plain.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) ==
              SQLITE_OK;
    if (ok) {
        int steps = 0;
        sqlite3_progress_handler(db, 100, StopCopy, &steps);
        // Keyed as an export keys it (see ApplyKey): the password and the older settings.
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
        const char* stretch = "PRAGMA exchange.kdf_iter = 1;";   // as the fuzz build's reader expects
#else
        const char* stretch = "";
#endif
        char* attach = sqlite3_mprintf("ATTACH DATABASE %Q AS exchange KEY %Q; PRAGMA exchange.cipher_compatibility = 3; %s",
                                       file.toUtf8().constData(), ExchangePassword, stretch);
        ok = sqlite3_exec(db, attach, nullptr, nullptr, nullptr) == SQLITE_OK &&
             sqlite3_exec(db, "SELECT sqlcipher_export('exchange')", nullptr, nullptr, nullptr) == SQLITE_OK;
        sqlite3_free(attach);
    }
    sqlite3_close_v2(db);
    return ok;
}

} // namespace

int Fuzz::Exchange(const uint8_t* data, size_t size)
{
    static constexpr char plainHeader[] = "SQLite format 3";   // with its zero, 16 bytes
    QString file;
    if (size >= sizeof plainHeader && std::memcmp(data, plainHeader, sizeof plainHeader) == 0) {
        const QString plain = WriteInput(QStringLiteral("plain.db"), data, size);
        file = Scratch() + QStringLiteral("/fuzz.opr");
        if (!KeyInto(plain, file))
            return 0;
    } else {
        file = WriteInput(QStringLiteral("fuzz.opr"), data, size);
    }
    if (const auto content = ReadExchangeFile(file))
        (void)content->title;
    return 0;
}

TAVO_FUZZ_TARGET(Exchange)
