// TODO(library): SQLCipher connection and query, loader, password.
#include "library/Database.h"
#include "app/Main.h"
#include "app/PubDef.h"

TADOConnection::TADOConnection() = default;
TADOConnection::~TADOConnection() = default;
void TADOConnection::Close() {}
void TADOConnection::SetTarget(const QString& file, const QString& password) { m_file = file; m_password = password; }
sqlite3* TADOConnection::Handle() { return nullptr; }

void TFormPiano::ConnectSongDatabase() {}
void TFormPiano::LoadSongTable() {}
void TFormPiano::OpenQuery(const QString&, const QVariantList&) {}
void TFormPiano::ExecStatement(const QString&, const QVariantList&) {}
