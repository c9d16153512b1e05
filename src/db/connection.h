#pragma once
// A connection to one data location: its engine, its open file or server
// session, its transaction and its last result. The data layer's functions
// work on the current connection, which is the process's default one (the
// windows and koltctl use it) unless a UseConnection scope makes another
// current; so a test or a tool can hold two shops, or two sessions of one
// shop, at once.
#include <QString>

#include <memory>

struct ConnectionState;

class Connection
{
public:
    // A connection of its own, pointing nowhere yet: while it is first
    // used it serves the data location in use, or the one set then.
    Connection();
    // Closes what it holds. It must not be current.
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // The process's default connection.
    static Connection& Default();
    // The connection the data layer works on now.
    static Connection& Current();

    // The data folder or server address it serves (empty before first use).
    QString location() const;
    // Whether a file or server session is open on it now.
    bool isOpen() const;

private:
    friend class UseConnection;
    friend ConnectionState& Current();
    explicit Connection(bool processDefault);

    std::unique_ptr<ConnectionState> m_state;
    QString m_location;
};

// Makes a connection the one the data layer works on, and the data location
// it serves the one in use, for the scope; the previous ones come back when
// it ends. Scopes nest. A transaction begun inside a scope belongs to that
// connection, so it must end inside it too, as a scope's locals do.
class UseConnection
{
public:
    explicit UseConnection(Connection& connection);
    ~UseConnection();
    UseConnection(const UseConnection&) = delete;
    UseConnection& operator=(const UseConnection&) = delete;

private:
    Connection* m_connection;
    Connection* m_previous;
};
