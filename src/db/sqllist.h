#pragma once
// Lists of values for statements that work on a set in one go.
#include <QString>
#include <QStringList>

// The texts quoted and escaped as one list for "in (...)" or a row of
// "values (...)": "'a','b'"; NULL when there are none, so that the statement
// stays valid and matches nothing.
QString SqlQuotedList(const QStringList& values);
