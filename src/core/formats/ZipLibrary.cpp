#include "core/formats/ZipLibrary.h"
#include "core/platform/LateLibrary.h"

namespace {

using LateLibrary::Resolve;

struct Opened {
    ZipApi api{};
    bool ok = false;
};

Opened Open()
{
    Opened o;
    QLibrary library;
    QByteArray why;
    if (!LateLibrary::Load(library, {{"zip", 4}, {"zip", 5}, {"zip", -1}}, &why))
        return o;
    ZipApi& a = o.api;
    o.ok = Resolve(library, "zip_error_init", a.error_init) && Resolve(library, "zip_error_fini", a.error_fini) &&
           Resolve(library, "zip_source_buffer_create", a.source_buffer_create) &&
           Resolve(library, "zip_source_free", a.source_free) &&
           Resolve(library, "zip_open_from_source", a.open_from_source) && Resolve(library, "zip_discard", a.discard) &&
           Resolve(library, "zip_get_num_entries", a.get_num_entries) && Resolve(library, "zip_get_name", a.get_name) &&
           Resolve(library, "zip_name_locate", a.name_locate) && Resolve(library, "zip_stat_init", a.stat_init) &&
           Resolve(library, "zip_stat_index", a.stat_index) && Resolve(library, "zip_fopen_index", a.fopen_index) &&
           Resolve(library, "zip_fread", a.fread) && Resolve(library, "zip_fclose", a.fclose);
    return o;
}

}   // namespace

const ZipApi* Zip()
{
    static const Opened opened = Open();
    return opened.ok ? &opened.api : nullptr;
}
