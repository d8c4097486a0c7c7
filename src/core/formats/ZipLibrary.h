#pragma once
// libzip, opened when a compressed MusicXML file is first read rather than at every start.
#include <zip.h>

struct ZipApi {
    decltype(&::zip_error_init) error_init;
    decltype(&::zip_error_fini) error_fini;
    decltype(&::zip_source_buffer_create) source_buffer_create;
    decltype(&::zip_source_free) source_free;
    decltype(&::zip_open_from_source) open_from_source;
    decltype(&::zip_discard) discard;
    decltype(&::zip_get_num_entries) get_num_entries;
    decltype(&::zip_get_name) get_name;
    decltype(&::zip_name_locate) name_locate;
    decltype(&::zip_stat_init) stat_init;
    decltype(&::zip_stat_index) stat_index;
    decltype(&::zip_fopen_index) fopen_index;
    decltype(&::zip_fread) fread;
    decltype(&::zip_fclose) fclose;
};

// The functions, opened once by whichever thread asks first; null when libzip cannot be
// opened or lacks one of them.
const ZipApi* Zip();
