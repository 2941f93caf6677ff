// CCmdTarget: the base of every object that receives commands through a message map.
#pragma once

#include "framework/core.h"
#include "framework/message_map.h"

class CCmdTarget : public CObject
{
    DECLARE_DYNAMIC(CCmdTarget)

public:
    CCmdTarget();
    ~CCmdTarget() override;

    // Looks for a handler of a command, an update request or a notification in this object's
    // message map and its bases, and calls it. nCode is CN_COMMAND, CN_UPDATE_COMMAND_UI, a
    // control's notification code, or MAKELONG(code, WM_NOTIFY) for notifications. With
    // pHandlerInfo given it only reports the handler. Windows that route commands further (a
    // frame to its active view, a dialog to its owner) override this and call the base.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);

    // The hourglass while a long operation runs.
    void BeginWaitCursor();
    void EndWaitCursor();
    void RestoreWaitCursor();

    // The entry matching a message in a chain of maps, or null.
    static const AFX_MSGMAP_ENTRY* FindMessageEntry(const AFX_MSGMAP* pMap, UINT nMessage,
                                                    UINT nCode, UINT nID);

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
    friend class CWnd;
};

// The wait cursor, kept by the application object (it counts nested requests and restores the
// cursor it replaced): 1 begins, -1 ends, 0 shows it again after something changed the cursor.
// Without an application object the cursor is set directly. This is the command layer's one way
// to the application object; it is defined beside CWinApp.
void AfxDoWaitCursor(int nCode);

// Shows the wait cursor for the lifetime of the object.
class CWaitCursor
{
public:
    CWaitCursor();
    ~CWaitCursor();
    void Restore();

    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};
