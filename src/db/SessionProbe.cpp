#include "db/SessionProbe.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>
#include <dlfcn.h>

namespace {

using ConsumeInput = int (*)(void*);
using Status = int (*)(const void*);
constexpr int kConnectionBad = 1;  // libpq's CONNECTION_BAD

struct Libpq {
  ConsumeInput consumeInput = nullptr;
  Status status = nullptr;
};

// libpq is in the process whenever Qt's PostgreSQL driver is; it is looked up there rather
// than linked, so that the program needs no PostgreSQL library for the other databases.
Libpq libpq() {
  static Libpq found;
  if (found.consumeInput && found.status) return found;
  void* lib = dlopen("libpq.so.5", RTLD_LAZY | RTLD_NOLOAD);
  if (!lib) return {};
  Libpq calls;
  calls.consumeInput = reinterpret_cast<ConsumeInput>(dlsym(lib, "PQconsumeInput"));
  calls.status = reinterpret_cast<Status>(dlsym(lib, "PQstatus"));
  dlclose(lib);  // NOLOAD took a reference of its own; the driver keeps the library loaded
  if (calls.consumeInput && calls.status) found = calls;
  return calls;
}

}  // namespace

bool SessionLost(const QSqlDatabase& db) {
  if (!db.driver()) return false;
  const QVariant handle = db.driver()->handle();
  // PGconn is libpq's name for struct pg_conn; Qt names the type either way.
  if (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0) return false;
  void* conn = *static_cast<void* const*>(handle.constData());
  const Libpq pq = libpq();
  if (!conn || !pq.consumeInput || !pq.status) return false;
  // Reading what the server sent meanwhile never blocks. A server that ends a session sends a
  // last message and closes the socket: the first read takes the message, the next finds the
  // socket closed.
  for (int i = 0; i < 2 && pq.status(conn) != kConnectionBad; ++i) pq.consumeInput(conn);
  return pq.status(conn) == kConnectionBad;
}
