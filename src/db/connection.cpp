#include "db/connection.h"
#include "db/connectionstate.h"

#include "core/appstate.h"
#include "db/location.h"

namespace {

Connection* g_current = nullptr;

} // namespace

Connection::Connection()
    : m_state(std::make_unique<ConnectionState>())
{
}

Connection::Connection(bool processDefault)
    : Connection()
{
    // The process's engines: the library and server session the rest of
    // the program (the change feed's checks, the library check at start-up)
    // knows as the layer's own.
    if (processDefault) {
        m_state->sqlite = &SqliteEngine();
        m_state->server = &ServerEngine();
    }
}

Connection::~Connection()
{
    // Only a scope left open past its connection's end gets here current;
    // the layer must not go on with a connection that is gone.
    if (g_current == this)
        g_current = nullptr;
    ConnectionState& state = *m_state;
    for (PreparedInsert& prepared : state.preparedInserts)
        prepared = PreparedInsert(); // closing the engine finalizes their handles
    if (state.engine)
        state.engine->close();
}

Connection& Connection::Default()
{
    // Never destroyed: the windows' last work at exit may still need it.
    static Connection* const connection = new Connection(true);
    return *connection;
}

Connection& Connection::Current()
{
    return g_current ? *g_current : Default();
}

QString Connection::location() const
{
    return this == &Current() ? App().DataFolder : m_location;
}

bool Connection::isOpen() const
{
    return m_state->engine && m_state->engine->isOpen();
}

ConnectionState& Current()
{
    return *Connection::Current().m_state;
}

DatabaseEngine& ConnectionState::sqliteEngine()
{
    if (!sqlite) {
        ownSqlite = NewSqliteEngine();
        ownSqlite->load();
        sqlite = ownSqlite.get();
    }
    return *sqlite;
}

DatabaseEngine& ConnectionState::serverEngine()
{
    if (!server) {
        ownServer = NewServerEngine();
        server = ownServer.get();
    }
    return *server;
}

UseConnection::UseConnection(Connection& connection)
    : m_connection(&connection)
    , m_previous(&Connection::Current())
{
    AppState& app = App();
    // The data location in use belongs to the connection that serves it.
    m_previous->m_location = app.DataFolder;
    if (!connection.m_location.isEmpty())
        app.DataFolder = connection.m_location;
    g_current = &connection;
    // A new connection serves the location in use until told otherwise.
    if (connection.m_state->databasePath.isEmpty() && !app.DataFolder.isEmpty())
        SelectDataLocation(app.DataFolder);
}

UseConnection::~UseConnection()
{
    AppState& app = App();
    m_connection->m_location = app.DataFolder;
    app.DataFolder = m_previous->m_location;
    g_current = m_previous == &Connection::Default() ? nullptr : m_previous;
}
