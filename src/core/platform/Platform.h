#pragma once
#include <QString>

// The few calls that differ between operating systems live behind these.
namespace Platform {
// The user's home folder: %HOMEDRIVE%%HOMEPATH% on Windows, HOME elsewhere, as it comes.
QString HomeDir();
// The user's own temporary folder, ending with "/". On shared /tmp systems this is a
// private folder (0700, owned by the user), created when missing; throws when unsafe.
QString UserTempDir();
}
