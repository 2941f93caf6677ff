#include "dbaccess/lost_connection.h"

const wchar_t* const kConnectionLostText =
    L"The connection to the server was lost: the session ended, and with it whatever it had not "
    L"committed. Nothing more runs in it; Connect > Reconnect opens a new session.";

CString LostConnectionText(const CString& text, const std::vector<CString>& sqlStates)
{
    bool bDriversOwn = !sqlStates.empty();
    for (const CString& state : sqlStates)
        if (state.Left(2) != L"08")
            bDriversOwn = false;
    if (bDriversOwn || text.IsEmpty())
        return kConnectionLostText;
    return text + L"\n\n" + kConnectionLostText;
}
