// What a failure says once the session with the server is gone (the server ended it, the
// network or the server failed). The drivers then answer every call with a complaint of their
// own about the connection (psqlODBC names its own function, "SQLExecDirectW unable due to the
// connection lost"; MariaDB's says "Connection not open"), which tells the user neither what
// happened nor what to do. The program does not connect again by itself: the user does.
#pragma once

#include "framework/core.h"

#include <vector>

// The plain words: the connection is lost, and how to get a new session.
extern const wchar_t* const kConnectionLostText;

// The text of a failure on a connection whose session is gone, from its diagnostic records'
// text and their SQLSTATEs: when every record is the driver's word about the connection (class
// 08), the plain words replace them; the server's own error (its reason for ending the session)
// keeps its words, and the plain words follow.
CString LostConnectionText(const CString& text, const std::vector<CString>& sqlStates);
