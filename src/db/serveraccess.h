#pragma once
// A shop on a server: where in the database it lives, what the login may do
// there, and the server's refusals told in words.
#include <QString>

// A server address as the user writes it, taken apart. A shop lives in one
// schema that KOLT names: the address's "?schema=NAME" (or a search_path the
// address sets in its options), else "kolt". The user's own default search
// path never decides it, so a login with a schema of its own cannot open an
// empty shop of its own by mistake.
struct ServerAddress
{
    QString connection; // what the client library reads: the address without "schema="
    QString schema;     // the schema the address names; empty: the default
    QString host;       // "HOST:PORT" as written, for messages
    QString user;       // as written; empty when the library chooses
    QString database;   // as written; empty when the library chooses
};

ServerAddress ParseServerAddress(const QString& location);

// The schema a shop lives in when the address names none.
QString DefaultShopSchema();

// A name as SQL must quote it ("a""b").
QString QuoteSqlIdentifier(const QString& name);

// The client library's reason a connection failed, in words that name the
// cause: authentication failed (or the password expired), no password, no such
// database or user, the server unreachable at the address, refused by the
// server's access rules.
QString ConnectionFailureText(const QString& libraryMessage, const ServerAddress& address);

// A server's "permission denied for table partlist" (SQLSTATE 42501) as the
// user must read it, naming the table as the definitions spell it and the
// login; other texts come back unchanged.
QString PermissionDeniedText(const QString& serverMessage, const QString& login);

// What the open server connection may do in its shop; read when a server
// location is opened (OpenServerShop), empty for a folder.
struct ServerAccess
{
    bool known = false;  // a server shop was opened and read
    QString location;    // the address it was read for
    QString login;       // the database login (current_user)
    QString database;    // current_database()
    QString schema;      // the shop's schema
    QString host;        // "HOST:PORT"
    QString owner;       // the login that owns the shop's tables
    bool readOnly = false; // the login may read the shop only
    bool isOwner = false;  // the login owns the shop's tables (or is a member of their owner)
};

const ServerAccess& CurrentServerAccess();
void ForgetServerAccess();

// Whether opening a server location may make a shop where none is: only
// `koltctl init` (and the tests' fresh schemas) allow it.
void AllowShopCreation(bool allowed);
bool ShopCreationAllowed();

// Before anything reads or writes a server location: checks that its shop's
// schema exists and the login may read it, makes the schema when creating is
// allowed, and reads what the login may do. False with the reason reported
// once (ShowMessage) and nothing created otherwise.
bool OpenServerShop(const QString& location);
// Whether OpenServerShop accepted this location: the database layer makes
// no table on a server location it did not.
bool ServerShopOpened(const QString& location);

// "anna@server:5432/kolt" for a server (with " (read-only)" for a read-only
// desk), the folder for a folder: what the title bar shows.
QString LocationCaption(const QString& location);

// A read-only desk is told so before any write: the reason, in words, or
// empty when the login may write.
QString ReadOnlyReason();

// Whether this desk may not write its shop: a file or folder opened
// read-only, or a server login granted reading only. The windows disable
// their writing commands on it.
bool DeskReadOnly();

// Tries a connection to location and reads the shop's presence and the
// login's access, without keeping it or changing anything: Setup's
// "Test connection". The answer in words, and whether all is well.
bool TestServerConnection(const QString& location, QString* answer);
