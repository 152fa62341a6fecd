#pragma once
// Whether an open database session has been lost (the server ended it, the network dropped
// it), found without a round trip to the server.
class QSqlDatabase;

// True when the driver knows the session is gone. Only PostgreSQL sessions can tell (through
// libpq); for the other drivers this answers false.
bool SessionLost(const QSqlDatabase& db);
