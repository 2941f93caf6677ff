// Command dispatch through message maps.
#include "framework/cmd_target.h"
#include "framework/cmd_ui.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

CCmdTarget::CCmdTarget() = default;
CCmdTarget::~CCmdTarget() = default;

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(const AFX_MSGMAP* pMap, UINT nMessage,
                                                     UINT nCode, UINT nID)
{
    for (; pMap != nullptr; pMap = pMap->pfnGetBaseMap ? pMap->pfnGetBaseMap() : nullptr)
    {
        for (const AFX_MSGMAP_ENTRY* e = pMap->lpEntries; e->pfn != nullptr; ++e)
        {
            UINT nEntryMessage = e->pnRegistered ? *e->pnRegistered : e->nMessage;
            if (e->pnRegistered && nEntryMessage == 0)
                continue; // not registered yet
            if (nEntryMessage == nMessage && (WORD)e->nCode == (WORD)nCode && nID >= e->nID &&
                nID <= e->nLastID)
                return e;
        }
    }
    return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    UINT nMsg = 0;
    if ((UINT)nCode != CN_UPDATE_COMMAND_UI)
    {
        nMsg = HIWORD(nCode);
        nCode = LOWORD(nCode);
    }
    if (nMsg == 0)
        nMsg = WM_COMMAND;

    const AFX_MSGMAP_ENTRY* e = FindMessageEntry(GetMessageMap(), nMsg, (UINT)nCode, nID);
    if (e == nullptr)
        return FALSE;
    if (pHandlerInfo != nullptr)
    {
        pHandlerInfo->pTarget = this;
        pHandlerInfo->pEntry = e;
        return TRUE;
    }
    LRESULT lResult = 0;
    AFX_MSGCALL call{nMsg, 0, 0, nID, nCode, pExtra, &lResult};
    BOOL bResult = e->pfn(this, call);
    if ((UINT)nCode == CN_UPDATE_COMMAND_UI)
    {
        CCmdUI* pCmdUI = static_cast<CCmdUI*>(pExtra);
        if (pCmdUI != nullptr)
        {
            bResult = !pCmdUI->m_bContinueRouting;
            pCmdUI->m_bContinueRouting = FALSE;
        }
    }
    return bResult;
}

void CCmdTarget::BeginWaitCursor()
{
    AfxDoWaitCursor(1);
}

void CCmdTarget::EndWaitCursor()
{
    AfxDoWaitCursor(-1);
}

void CCmdTarget::RestoreWaitCursor()
{
    AfxDoWaitCursor(0);
}

CWaitCursor::CWaitCursor()
{
    CCmdTarget().BeginWaitCursor();
}
CWaitCursor::~CWaitCursor()
{
    CCmdTarget().EndWaitCursor();
}
void CWaitCursor::Restore()
{
    CCmdTarget().RestoreWaitCursor();
}
