// While a background job holds the database connection the user-interface thread keeps
// painting, but nothing on it may touch the connection: a cursor read would wait for the job
// (or disturb it). Grids consult IsConnectionBusy and then show only the rows they have cached.
#pragma once

// True while at least one job holds the connection.
bool IsConnectionBusy();

// Marks the connection busy for its lifetime; scopes nest.
class CConnectionBusyScope
{
public:
    CConnectionBusyScope();
    ~CConnectionBusyScope();
    CConnectionBusyScope(const CConnectionBusyScope&) = delete;
    CConnectionBusyScope& operator=(const CConnectionBusyScope&) = delete;
};
