#pragma once
// Reads by a list of values that may be longer than one statement takes.
#include "db/database.h"

#include <QString>
#include <QStringList>

#include <functional>

// Runs head + "?,?,..." + tail with the values bound, each value once, as
// many a statement as the database takes (and at most `most`, when given),
// and hands each slice's rows to take. Rows come in the order each
// statement gives them, slice after slice. False as soon as a slice failed
// (LastErrorText says why); true for no values without a statement.
bool ReadInSlices(const QString& head, const QStringList& values, const QString& tail,
                  const std::function<void(const QueryResult&)>& take, qsizetype most = 0);
