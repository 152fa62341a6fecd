#pragma once
// For tests only: a hook on every statement. Only Connection.cpp includes it in the program
// (scripts/check-layers.sh keeps it so).
#include <QString>
#include <functional>

class Connection;

// Called with each statement's text (and "COMMIT") before it runs on any connection; throwing a
// TolvaError makes the statement fail. Empty removes it.
void SetStatementHookForTest(std::function<void(Connection&, const QString& sql)> hook);
