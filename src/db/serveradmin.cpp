#include "db/serveradmin.h"

#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "db/database.h"
#include "db/statement.h"
#include "db/serveraccess.h"

#include <QStringList>

namespace {

// The checks every grant and revoke makes first: a server, its owner
// running it, an existing login other than the owner.
bool mayChangeGrants(const QString& login, QString* error)
{
    if (!DatabaseOnServer()) {
        *error = Translate(QStringLiteral("Grants belong to a shop on a server; the data location is a folder."));
        return false;
    }
    const ServerAccess& access = CurrentServerAccess();
    if (!access.known) {
        *error = LastErrorText();
        return false;
    }
    if (!access.isOwner) {
        *error = Translate(QStringLiteral("Only the shop's owner (%1) may change its grants; login %2 may not."))
                     .arg(access.owner, access.login);
        return false;
    }
    const QString count = QueryTextBound(QStringLiteral("select count(*) from pg_roles where rolname = ?"), {login});
    if (LastResultCode() != 0) {
        *error = LastErrorText();
        return false;
    }
    if (count.trimmed() != QLatin1String("1")) {
        *error = TranslateLabel(QStringLiteral("No such user on the server:")) + QLatin1Char(' ') + login;
        return false;
    }
    if (login == access.owner || login == access.login) {
        *error = TranslateLabel(QStringLiteral("The shop's owner keeps every right to its shop:")) + QLatin1Char(' ') + login;
        return false;
    }
    return true;
}

// Every grant of the shop taken from login: tables, sequences, the schema,
// and those of tables yet to come.
QStringList revokeStatements(const QString& schema, const QString& login)
{
    return {
        QStringLiteral("revoke all on all tables in schema %1 from %2").arg(schema, login),
        QStringLiteral("revoke all on all sequences in schema %1 from %2").arg(schema, login),
        QStringLiteral("alter default privileges in schema %1 revoke all on tables from %2").arg(schema, login),
        QStringLiteral("alter default privileges in schema %1 revoke all on sequences from %2").arg(schema, login),
    };
}

bool runAll(const QStringList& statements, QString* error)
{
    Transaction transaction;
    for (const QString& statement : statements)
        if (!Execute(statement))
            break;
    if (!transaction.commit()) {
        *error = WriteRefusedText(LastErrorText());
        return false;
    }
    return true;
}

} // namespace

bool GrantShopAccess(const QString& login, bool readOnly, QString* error)
{
    if (!mayChangeGrants(login, error))
        return false;
    const QString schema = QuoteSqlIdentifier(CurrentServerAccess().schema);
    const QString role = QuoteSqlIdentifier(login);
    // What was granted before goes first, so that a desk made read-only
    // keeps no right to write.
    QStringList statements = revokeStatements(schema, role);
    statements << QStringLiteral("grant usage on schema %1 to %2").arg(schema, role);
    if (readOnly) {
        statements << QStringLiteral("grant select on all tables in schema %1 to %2").arg(schema, role)
                   << QStringLiteral("alter default privileges in schema %1 grant select on tables to %2").arg(schema, role);
    } else {
        // New records are numbered by the tables' sequences: a writing desk
        // needs them too.
        statements << QStringLiteral("grant select, insert, update, delete on all tables in schema %1 to %2").arg(schema, role)
                   << QStringLiteral("grant usage, select, update on all sequences in schema %1 to %2").arg(schema, role)
                   << QStringLiteral("alter default privileges in schema %1 grant select, insert, update, delete on "
                                     "tables to %2")
                          .arg(schema, role)
                   << QStringLiteral("alter default privileges in schema %1 grant usage, select, update on sequences "
                                     "to %2")
                          .arg(schema, role);
    }
    return runAll(statements, error);
}

bool RevokeShopAccess(const QString& login, QString* error)
{
    if (!mayChangeGrants(login, error))
        return false;
    const QString schema = QuoteSqlIdentifier(CurrentServerAccess().schema);
    const QString role = QuoteSqlIdentifier(login);
    return runAll(revokeStatements(schema, role)
                      << QStringLiteral("revoke all on schema %1 from %2").arg(schema, role),
                  error);
}

ShopGrant ShopGrantOf(const QString& login)
{
    const QueryResult answer = QueryBound(
        QStringLiteral("select 0, has_schema_privilege(?, n.oid, 'USAGE') and has_table_privilege(?, c.oid, "
                       "'SELECT'), has_table_privilege(?, c.oid, 'UPDATE') from pg_namespace n join pg_class c on "
                       "c.relnamespace = n.oid and c.relname = 'globalparamlist' where n.nspname = ?"),
        {login, login, login, CurrentServerAccess().schema});
    if (LastResultCode() != 0 || answer.rowCount != 1 || answer.cell(0, 1) != QLatin1String("t"))
        return ShopGrant::None;
    return answer.cell(0, 2) == QLatin1String("t") ? ShopGrant::ReadWrite : ShopGrant::ReadOnly;
}
