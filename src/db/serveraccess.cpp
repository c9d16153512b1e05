#include "db/serveraccess.h"
#include "db/connectionstate.h"

#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/tabledefs.h"
#include "core/userinterface.h"
#include "db/engine.h"
#include "db/location.h"

#include <QDir>
#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

namespace {

bool g_creationAllowed = false;

QString decoded(const QString& text)
{
    return QUrl::fromPercentEncoding(text.toUtf8());
}

// The name inside the first `what "NAME"` of a server message.
QString quotedName(const QString& message, const QString& what)
{
    const QRegularExpression pattern(QRegularExpression::escape(what) + QStringLiteral(" \"([^\"]*)\""));
    const QRegularExpressionMatch match = pattern.match(message);
    return match.hasMatch() ? match.captured(1) : QString();
}

// The table as the definitions spell it, from the server's folded name.
QString tableName(const QString& folded)
{
    for (int t = 0; t < kTableCount; ++t)
        if (TableSqlName(t).compare(folded, Qt::CaseInsensitive) == 0)
            return TableSqlName(t);
    for (const char* other : {"GlobalParamList", "SchemaVersion"})
        if (folded.compare(QLatin1String(other), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(other);
    return folded;
}

QString grantHint(const QString& login)
{
    return TranslateLabel(QStringLiteral("The shop's owner grants access with:")) + QStringLiteral(" koltctl server grant ")
           + login;
}

// What a server connection finds at the shop's place.
struct ShopProbe
{
    bool read = false; // the probe itself ran
    QString database;
    bool schemaExists = false;
    bool schemaUsable = false;
    bool schemaCreatable = false;
    bool shopExists = false;
    bool shopReadable = false;
    bool shopWritable = false;
    QString owner;
    bool isOwner = false;
    QString error;
};

int collectRow(void* context, int columns, char** values, char**)
{
    auto* row = static_cast<QStringList*>(context);
    for (int c = 0; c < columns; ++c)
        *row << (values[c] ? QString::fromUtf8(values[c]) : QString());
    return 0;
}

ShopProbe probeShop(DatabaseEngine& engine)
{
    ShopProbe probe;
    const QString schema = engine.shopSchema().replace(QLatin1Char('\''), QStringLiteral("''"));
    // The catalogue answers whatever the login's grants: a schema the login
    // may not use still shows, so "not there" and "not yours" are told apart.
    const QString sql =
        QStringLiteral("select current_database(), n.oid is not null, coalesce(has_schema_privilege(n.oid, 'USAGE'), "
                       "false), coalesce(has_schema_privilege(n.oid, 'CREATE'), false), c.oid is not null, "
                       "coalesce(has_table_privilege(c.oid, 'SELECT'), false), coalesce(has_table_privilege(c.oid, "
                       "'UPDATE'), false), coalesce(pg_get_userbyid(c.relowner)::text, ''), "
                       "coalesce(pg_has_role(c.relowner, 'USAGE'), false) from (select 1) one left join pg_namespace "
                       "n on n.nspname = '%1' left join pg_class c on c.relnamespace = n.oid and c.relname = "
                       "'globalparamlist' and c.relkind = 'r'")
            .arg(schema);
    QStringList row;
    if (engine.exec(sql.toUtf8(), collectRow, &probe.error, &row) != kEngineOk || row.size() != 9)
        return probe;
    auto yes = [&](int i) { return row[i] == QLatin1String("t"); };
    probe.read = true;
    probe.database = row[0];
    probe.schemaExists = yes(1);
    probe.schemaUsable = yes(2);
    probe.schemaCreatable = yes(3);
    probe.shopExists = yes(4);
    probe.shopReadable = yes(5);
    probe.shopWritable = yes(6);
    probe.owner = row[7];
    probe.isOwner = yes(8);
    return probe;
}

QString noShopText(const ShopProbe& probe, const QString& schema)
{
    return Translate(QStringLiteral("There is no KOLT shop in database %1 (schema %2).")).arg(probe.database, schema)
           + QLatin1Char('\n')
           + Translate(QStringLiteral("koltctl init makes one; ?schema=NAME in the address names another."));
}

QString noAccessText(const ShopProbe& probe, const QString& schema, const QString& login)
{
    return Translate(QStringLiteral("Login %1 may not read the shop in database %2 (schema %3).")).arg(login, probe.database, schema)
           + QLatin1Char('\n') + grantHint(login);
}

} // namespace

QString DefaultShopSchema()
{
    return QStringLiteral("kolt");
}

ServerAddress ParseServerAddress(const QString& location)
{
    ServerAddress address;
    const QString text = location.trimmed();
    const qsizetype question = text.indexOf(QLatin1Char('?'));
    const QString base = question < 0 ? text : text.left(question);
    QStringList kept;
    QString searchPath;
    if (question >= 0) {
        for (const QString& item : text.mid(question + 1).split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
            const QString key = item.section(QLatin1Char('='), 0, 0);
            const QString value = decoded(item.section(QLatin1Char('='), 1));
            if (key == QLatin1String("schema")) {
                address.schema = value;
                continue;
            }
            if (key == QLatin1String("options")) {
                static const QRegularExpression path(QStringLiteral("search_path\\s*=\\s*\"?([^\\s,\"]+)"));
                const QRegularExpressionMatch match = path.match(value);
                if (match.hasMatch())
                    searchPath = match.captured(1);
            }
            kept << item;
        }
    }
    if (address.schema.isEmpty())
        address.schema = searchPath;
    address.connection = kept.isEmpty() ? base : base + QLatin1Char('?') + kept.join(QLatin1Char('&'));
    const qsizetype scheme = base.indexOf(QStringLiteral("://"));
    const QString rest = scheme < 0 ? base : base.mid(scheme + 3);
    const QString authority = rest.section(QLatin1Char('/'), 0, 0);
    address.database = decoded(rest.section(QLatin1Char('/'), 1));
    const qsizetype at = authority.lastIndexOf(QLatin1Char('@'));
    address.host = at < 0 ? authority : authority.mid(at + 1);
    if (at >= 0)
        address.user = decoded(authority.left(at).section(QLatin1Char(':'), 0, 0));
    return address;
}

QString QuoteSqlIdentifier(const QString& name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString ConnectionFailureText(const QString& libraryMessage, const ServerAddress& address)
{
    const QString message = libraryMessage.trimmed();
    const QString host = address.host.isEmpty() ? QStringLiteral("localhost") : address.host;
    QString user = quotedName(message, QStringLiteral("user"));
    if (user.isEmpty())
        user = address.user;
    if (message.contains(QLatin1String("password authentication failed"))
        || message.contains(QLatin1String("authentication failed for user")))
        return Translate(QStringLiteral("Authentication failed for user %1 at %2.")).arg(user, host) + QLatin1Char(' ')
               + Translate(QStringLiteral("The password is wrong or has expired."));
    if (message.contains(QLatin1String("no password supplied")))
        return Translate(QStringLiteral("The server at %1 asks user %2 for a password, and none was found.")).arg(host, user)
               + QLatin1Char(' ')
               + Translate(QStringLiteral("Add a line HOST:PORT:DATABASE:USER:PASSWORD to ~/.pgpass (mode 0600)."));
    if (message.contains(QLatin1String("does not exist"))) {
        const QString database = quotedName(message, QStringLiteral("database"));
        if (!database.isEmpty())
            return TranslateLabel(QStringLiteral("No such database on the server at %1:")).arg(host) + QLatin1Char(' ')
                   + database;
        const QString role = quotedName(message, QStringLiteral("role"));
        if (!role.isEmpty())
            return TranslateLabel(QStringLiteral("No such user on the server at %1:")).arg(host) + QLatin1Char(' ') + role;
    }
    if (message.contains(QLatin1String("no pg_hba.conf entry")))
        return Translate(QStringLiteral("The server at %1 does not let user %2 in from this computer (pg_hba.conf).")).arg(host, user);
    if (message.contains(QLatin1String("permission denied for database")))
        return Translate(QStringLiteral("Login %1 may not connect to database %2.")).arg(user, quotedName(message, QStringLiteral("database")));
    if (message.contains(QLatin1String("Connection refused")) || message.contains(QLatin1String("could not translate host"))
        || message.contains(QLatin1String("timeout expired")) || message.contains(QLatin1String("No route to host"))
        || message.contains(QLatin1String("Network is unreachable")) || message.contains(QLatin1String("could not connect"))
        || message.contains(QLatin1String("No such file or directory"))) {
        // The library's own reason without its "connection to server at ... failed:" and hints.
        QString reason = message.section(QLatin1Char('\n'), 0, 0);
        const qsizetype failed = reason.lastIndexOf(QStringLiteral("failed: "));
        if (failed >= 0)
            reason = reason.mid(failed + 8);
        return Translate(QStringLiteral("Server unreachable at %1")).arg(host) + QStringLiteral(": ") + reason.trimmed();
    }
    QString reason = message;
    reason.replace(QRegularExpression(QStringLiteral("^.*failed:\\s*(FATAL:\\s*)?")), QString());
    return TranslateLabel(QStringLiteral("Cannot connect to the server at %1:")).arg(host) + QLatin1Char(' ')
           + reason.simplified();
}

QString PermissionDeniedText(const QString& serverMessage, const QString& login)
{
    const ServerAccess& access = Current().serverAccess;
    static const QRegularExpression denied(
        QStringLiteral("permission denied for (table|relation|sequence|schema|view) \"?([^\\s\"]+)\"?"));
    const QRegularExpressionMatch match = denied.match(serverMessage);
    if (!match.hasMatch())
        return serverMessage;
    const QString kind = match.captured(1);
    QString name = match.captured(2);
    if (kind == QLatin1String("schema"))
        return Translate(QStringLiteral("Permission denied on the shop's schema %1 for login %2.")).arg(name, login)
               + QLatin1Char(' ') + grantHint(login);
    if (kind == QLatin1String("sequence"))
        name = name.section(QLatin1Char('_'), 0, 0);
    QString text = Translate(QStringLiteral("Permission denied on %1 for login %2.")).arg(tableName(name), login);
    if (access.known && access.readOnly && access.login == login)
        text += QLatin1Char(' ') + Translate(QStringLiteral("This desk is read-only."));
    else
        text += QLatin1Char(' ') + grantHint(login);
    return text;
}

const ServerAccess& CurrentServerAccess()
{
    return Current().serverAccess;
}

void ForgetServerAccess()
{
    Current().serverAccess = ServerAccess();
}

void AllowShopCreation(bool allowed)
{
    g_creationAllowed = allowed;
}

bool ShopCreationAllowed()
{
    return g_creationAllowed;
}

bool ServerShopOpened(const QString& location)
{
    return Current().serverAccess.known && Current().serverAccess.location == location;
}

bool OpenServerShop(const QString& location)
{
    ServerAccess& access = Current().serverAccess;
    ForgetServerAccess();
    const std::unique_ptr<DatabaseEngine> engine = NewServerEngine();
    auto refuse = [](const QString& text) {
        ShowMessage(text, QStringLiteral("Database Status"));
        return false;
    };
    if (!engine->load())
        return false; // the library said what is missing
    QString error;
    if (!engine->open(location, &error))
        return refuse(error);
    const QString schema = engine->shopSchema();
    const QString login = engine->login();
    ShopProbe probe = probeShop(*engine);
    if (!probe.read)
        return refuse(probe.error);
    if (!probe.schemaExists) {
        if (!g_creationAllowed)
            return refuse(noShopText(probe, schema));
        // Only a login allowed to create in the database makes a shop; the
        // server's refusal says who may.
        QString ignored;
        if (engine->exec("create schema " + QuoteSqlIdentifier(schema).toUtf8(), nullptr, &error) != kEngineOk)
            return refuse(Translate(QStringLiteral("Login %1 may not create a shop in database %2 (schema %3).")).arg(login, probe.database, schema)
                          + QLatin1Char('\n') + error);
        probe = probeShop(*engine);
        if (!probe.read)
            return refuse(probe.error);
    }
    if (!probe.schemaUsable)
        return refuse(noAccessText(probe, schema, login));
    if (!probe.shopExists) {
        if (!g_creationAllowed)
            return refuse(noShopText(probe, schema));
        if (!probe.schemaCreatable)
            return refuse(Translate(QStringLiteral("Login %1 may not create a shop in database %2 (schema %3).")).arg(login, probe.database, schema));
        probe.shopReadable = probe.shopWritable = probe.isOwner = true;
        probe.owner = login;
    }
    if (!probe.shopReadable)
        return refuse(noAccessText(probe, schema, login));
    const ServerAddress address = ParseServerAddress(location);
    access.known = true;
    access.location = location;
    access.login = login;
    access.database = probe.database;
    access.schema = schema;
    access.host = address.host.isEmpty() ? QStringLiteral("localhost") : address.host;
    access.owner = probe.owner;
    access.readOnly = !probe.shopWritable;
    access.isOwner = probe.isOwner;
    return true;
}

QString LocationCaption(const QString& location)
{
    const ServerAccess& access = Current().serverAccess;
    if (!IsServerAddress(location))
        return QDir::toNativeSeparators(location);
    if (ServerShopOpened(location)) {
        QString caption = access.login + QLatin1Char('@') + access.host + QLatin1Char('/') + access.database;
        if (access.schema != DefaultShopSchema())
            caption += QStringLiteral(" (") + access.schema + QLatin1Char(')');
        if (access.readOnly)
            caption += QStringLiteral(" - ") + Translate(QStringLiteral("read-only"));
        return caption;
    }
    const ServerAddress address = ParseServerAddress(location);
    return (address.user.isEmpty() ? QString() : address.user + QLatin1Char('@')) + address.host + QLatin1Char('/')
           + address.database;
}

QString ReadOnlyReason()
{
    if (!ServerShopOpened(App().DataFolder) || !Current().serverAccess.readOnly)
        return QString();
    return Translate(QStringLiteral("This desk is read-only.")) + QLatin1Char(' ')
           + Translate(QStringLiteral("login %1 may read the shop but not change it.")).arg(Current().serverAccess.login);
}

bool DeskReadOnly()
{
    return !ReadOnlyReason().isEmpty() || DatabaseReadOnly();
}

bool TestServerConnection(const QString& location, QString* answer)
{
    const std::unique_ptr<DatabaseEngine> engine = NewServerEngine();
    QString error;
    if (!engine->load()) {
        *answer = QStringLiteral("The PostgreSQL client library is not loaded.");
        return false;
    }
    if (!engine->open(location, &error)) {
        *answer = error;
        return false;
    }
    const QString schema = engine->shopSchema();
    const QString login = engine->login();
    const ShopProbe probe = probeShop(*engine);
    if (!probe.read) {
        *answer = probe.error;
        return false;
    }
    const QString connected =
        Translate(QStringLiteral("Connected to database %1 as %2.")).arg(probe.database, login) + QLatin1Char('\n');
    if (!probe.schemaExists || !probe.shopExists) {
        *answer = connected + noShopText(probe, schema);
        return false;
    }
    if (!probe.schemaUsable || !probe.shopReadable) {
        *answer = connected + noAccessText(probe, schema, login);
        return false;
    }
    *answer = connected
              + Translate(QStringLiteral("The shop in schema %1 is there")).arg(schema) + QStringLiteral(": ")
              + (probe.shopWritable ? Translate(QStringLiteral("read and write")) : Translate(QStringLiteral("read-only")))
              + QLatin1Char('.');
    return true;
}
