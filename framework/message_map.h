// Message maps: tables that bind window messages, commands and notifications to member functions.
//
// A class that handles messages puts DECLARE_MESSAGE_MAP() in its declaration and a table
//     BEGIN_MESSAGE_MAP(CMyWnd, CWnd)
//         ON_WM_SIZE()
//         ON_COMMAND(ID_FILE_OPEN, &CMyWnd::OnFileOpen)
//         ON_NOTIFY_REFLECT(LVN_GETDISPINFOW, &CMyWnd::OnGetDispInfo)
//     END_MESSAGE_MAP()
// in its source. Handlers are named as pointers to members (&Class::Member). Every entry carries a
// small thunk that unpacks the message into the handler's arguments, so a handler whose signature
// differs from the one the entry expects does not compile.
#pragma once

#include <windows.h>
#include <commctrl.h>

class CCmdTarget;
class CCmdUI;

// Messages sent back to a control by its parent ("reflected") are numbered from here on:
// a reflected WM_NOTIFY is WM_REFLECT_BASE + WM_NOTIFY (0xBC4E), and a control may also be sent
// that message directly with an NMHDR-based record.
#ifndef WM_REFLECT_BASE
#define WM_REFLECT_BASE 0xBC00
#endif
// Stand-in for the WM_CTLCOLOR* family in reflected form (lParam points to an AFX_CTLCOLOR).
#ifndef WM_CTLCOLOR
#define WM_CTLCOLOR 0x0019
#endif

// Private messages of the framework.
#define WM_SETMESSAGESTRING 0x0362 // wParam = string id, or lParam = text: status line prompt
#define WM_IDLEUPDATECMDUI 0x0363  // wParam = disable-if-no-handler: update command UI at idle
#define WM_INITIALUPDATE 0x0364
#define WM_COMMANDHELP 0x0365
#define WM_HELPHITTEST 0x0366
#define WM_EXITHELPMODE 0x0367
#define WM_RECALCPARENT 0x0368
#define WM_SIZECHILD 0x0369
#define WM_KICKIDLE 0x036A // sent to a modal dialog when its loop goes idle
#define WM_QUERYCENTERWND 0x036B
#define WM_DISABLEMODAL 0x036C
#define WM_FLOATSTATUS 0x036D
#define WM_ACTIVATETOPLEVEL 0x036E

// Command codes passed to CCmdTarget::OnCmdMsg. Notifications travel as MAKELONG(code, message).
#define CN_COMMAND 0
#define CN_UPDATE_COMMAND_UI ((UINT)(-1))

// What OnCmdMsg receives as pExtra for a notification.
struct AFX_NOTIFY
{
    LRESULT* pResult;
    NMHDR* pNMHDR;
};

// What a reflected WM_CTLCOLOR* carries in lParam.
struct AFX_CTLCOLOR
{
    HWND hWnd;
    HDC hDC;
    UINT nCtlType; // CTLCOLOR_EDIT, CTLCOLOR_STATIC, ...
};

// Filled by OnCmdMsg instead of calling the handler, when the caller only asks whether one exists.
struct AFX_CMDHANDLERINFO
{
    CCmdTarget* pTarget;
    const void* pEntry;
};

// One message as a thunk sees it.
struct AFX_MSGCALL
{
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    UINT nID;         // command or control id (commands, notifications)
    int nCode;        // notification code (commands, notifications)
    void* pExtra;     // CCmdUI* for updates, AFX_NOTIFY* for notifications
    LRESULT* pResult; // where a window message's result goes
};

// Calls the handler; answers whether the message counts as handled (the _EX forms let the
// handler decide).
typedef BOOL (*AFX_PMSGTHUNK)(CCmdTarget* pTarget, AFX_MSGCALL& call);

struct AFX_MSGMAP_ENTRY
{
    UINT nMessage;            // window message, WM_COMMAND, WM_NOTIFY or a reflected form
    UINT nCode;               // control notification code (low 16 bits compared)
    UINT nID;                 // first control or command id
    UINT nLastID;             // last id of a range
    const UINT* pnRegistered; // registered message id (ON_REGISTERED_MESSAGE), else null
    AFX_PMSGTHUNK pfn;        // null ends the table
};

struct AFX_MSGMAP
{
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define afx_msg

#define DECLARE_MESSAGE_MAP()                                                                      \
protected:                                                                                         \
    static const AFX_MSGMAP* GetThisMessageMap();                                                  \
    virtual const AFX_MSGMAP* GetMessageMap() const;                                               \
                                                                                                   \
private:

#define AFX_BEGIN_MESSAGE_MAP_BODY(theClass, baseClass)                                            \
    typedef theClass ThisClass;                                                                    \
    typedef baseClass TheBaseClass;                                                                \
    (void)sizeof(ThisClass*);                                                                      \
    static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const                                              \
    {                                                                                              \
        return GetThisMessageMap();                                                                \
    }                                                                                              \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                                \
    {                                                                                              \
        AFX_BEGIN_MESSAGE_MAP_BODY(theClass, baseClass)

// For class templates: BEGIN_TEMPLATE_MESSAGE_MAP(CFocus, T, T) in the header.
#define BEGIN_TEMPLATE_MESSAGE_MAP(theClass, type_name, baseClass)                                 \
    template <typename type_name>                                                                  \
    const AFX_MSGMAP* theClass<type_name>::GetMessageMap() const                                   \
    {                                                                                              \
        return GetThisMessageMap();                                                                \
    }                                                                                              \
    template <typename type_name>                                                                  \
    const AFX_MSGMAP* theClass<type_name>::GetThisMessageMap()                                     \
    {                                                                                              \
        typedef theClass<type_name> ThisClass;                                                     \
        typedef baseClass TheBaseClass;                                                            \
        (void)sizeof(ThisClass*);                                                                  \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                                          \
    {                                                                                              \
        0, 0, 0, 0, nullptr, nullptr                                                               \
    }                                                                                              \
    }                                                                                              \
    ;                                                                                              \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]};  \
    return &messageMap;                                                                            \
    }

// ---------------------------------------------------------------------------------------------
// Building blocks: the thunk's parameter list, and the handler called through an exact
// member-pointer type (so a wrong signature is a compile error).
#define AFX_THUNK_PARAMS [[maybe_unused]] CCmdTarget *pTarget_, [[maybe_unused]] AFX_MSGCALL &c_
template <class C, class F>
using AfxMemberFn = F C::*;
#define AFX_CALL(type, fn)                                                                         \
    (static_cast<ThisClass*>(pTarget_)->*static_cast<AfxMemberFn<ThisClass, type>>(fn))
#define AFX_WM(msg, type, fn, ...)                                                                 \
    {msg, 0, 0, 0, nullptr, [](AFX_THUNK_PARAMS) -> BOOL {                                         \
         *c_.pResult = (LRESULT)(AFX_CALL(type, fn)(__VA_ARGS__));                                 \
         return TRUE;                                                                              \
     }},
#define AFX_WM_V(msg, type, fn, ...)                                                               \
    {msg, 0, 0, 0, nullptr, [](AFX_THUNK_PARAMS) -> BOOL {                                         \
         AFX_CALL(type, fn)(__VA_ARGS__);                                                          \
         *c_.pResult = 0;                                                                          \
         return TRUE;                                                                              \
     }},

#define AFX_PT_ ::CPoint((short)LOWORD(c_.lParam), (short)HIWORD(c_.lParam))
#define AFX_WND_(h) ::CWnd::FromHandle((HWND)(h))
#define AFX_DC_(h) ::CDC::FromHandle((HDC)(h))

// ---------------------------------------------------------------------------------------------
// Generic entries.
#define ON_MESSAGE(message, memberFxn)                                                             \
    {message, 0, 0, 0, nullptr, [](AFX_THUNK_PARAMS) -> BOOL {                                     \
         *c_.pResult = AFX_CALL(LRESULT(WPARAM, LPARAM), memberFxn)(c_.wParam, c_.lParam);         \
         return TRUE;                                                                              \
     }},
#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn)                                         \
    {0xC000, 0, 0, 0, &nMessageVariable, [](AFX_THUNK_PARAMS) -> BOOL {                            \
         *c_.pResult = AFX_CALL(LRESULT(WPARAM, LPARAM), memberFxn)(c_.wParam, c_.lParam);         \
         return TRUE;                                                                              \
     }},

#define ON_COMMAND(id, memberFxn)                                                                  \
    {WM_COMMAND, CN_COMMAND, (UINT)(id), (UINT)(id), nullptr, [](AFX_THUNK_PARAMS) -> BOOL {       \
         AFX_CALL(void(), memberFxn)();                                                            \
         return TRUE;                                                                              \
     }},
#define ON_COMMAND_EX(id, memberFxn)                                                               \
    {WM_COMMAND, CN_COMMAND,                                                                       \
     (UINT)(id), (UINT)(id),                                                                       \
     nullptr,    [](AFX_THUNK_PARAMS) -> BOOL { \
        return AFX_CALL(BOOL(UINT), memberFxn)(c_.nID); }},
#define ON_COMMAND_RANGE(id, idLast, memberFxn)                                                    \
    {WM_COMMAND, CN_COMMAND, (UINT)(id), (UINT)(idLast), nullptr, [](AFX_THUNK_PARAMS) -> BOOL {   \
         AFX_CALL(void(UINT), memberFxn)(c_.nID);                                                  \
         return TRUE;                                                                              \
     }},
#define ON_COMMAND_EX_RANGE(id, idLast, memberFxn)                                                 \
    {WM_COMMAND, CN_COMMAND,                                                                       \
     (UINT)(id), (UINT)(idLast),                                                                   \
     nullptr,    [](AFX_THUNK_PARAMS) -> BOOL { \
        return AFX_CALL(BOOL(UINT), memberFxn)(c_.nID); }},
#define ON_UPDATE_COMMAND_UI(id, memberFxn)                                                        \
    {WM_COMMAND,                                                                                   \
     CN_UPDATE_COMMAND_UI,                                                                         \
     (UINT)(id),                                                                                   \
     (UINT)(id),                                                                                   \
     nullptr,                                                                                      \
     [](AFX_THUNK_PARAMS) -> BOOL {                                                                \
         AFX_CALL(void(CCmdUI*), memberFxn)((CCmdUI*)c_.pExtra);                                   \
         return TRUE;                                                                              \
     }},
#define ON_UPDATE_COMMAND_UI_RANGE(id, idLast, memberFxn)                                          \
    {WM_COMMAND,                                                                                   \
     CN_UPDATE_COMMAND_UI,                                                                         \
     (UINT)(id),                                                                                   \
     (UINT)(idLast),                                                                               \
     nullptr,                                                                                      \
     [](AFX_THUNK_PARAMS) -> BOOL {                                                                \
         AFX_CALL(void(CCmdUI*), memberFxn)((CCmdUI*)c_.pExtra);                                   \
         return TRUE;                                                                              \
     }},

// Control notifications sent as WM_COMMAND.
#define ON_CONTROL(wNotifyCode, id, memberFxn)                                                     \
    {WM_COMMAND,                                                                                   \
     (UINT)(WORD)(wNotifyCode),                                                                    \
     (UINT)(id),                                                                                   \
     (UINT)(id),                                                                                   \
     nullptr,                                                                                      \
     [](AFX_THUNK_PARAMS) -> BOOL {                                                                \
         AFX_CALL(void(), memberFxn)();                                                            \
         return TRUE;                                                                              \
     }},
#define ON_CONTROL_RANGE(wNotifyCode, id, idLast, memberFxn)                                       \
    {WM_COMMAND,                                                                                   \
     (UINT)(WORD)(wNotifyCode),                                                                    \
     (UINT)(id),                                                                                   \
     (UINT)(idLast),                                                                               \
     nullptr,                                                                                      \
     [](AFX_THUNK_PARAMS) -> BOOL {                                                                \
         AFX_CALL(void(UINT), memberFxn)(c_.nID);                                                  \
         return TRUE;                                                                              \
     }},

#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_DOUBLECLICKED(id, memberFxn) ON_CONTROL(BN_DOUBLECLICKED, id, memberFxn)
#define ON_BN_SETFOCUS(id, memberFxn) ON_CONTROL(BN_SETFOCUS, id, memberFxn)
#define ON_BN_KILLFOCUS(id, memberFxn) ON_CONTROL(BN_KILLFOCUS, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_EN_UPDATE(id, memberFxn) ON_CONTROL(EN_UPDATE, id, memberFxn)
#define ON_EN_SETFOCUS(id, memberFxn) ON_CONTROL(EN_SETFOCUS, id, memberFxn)
#define ON_EN_KILLFOCUS(id, memberFxn) ON_CONTROL(EN_KILLFOCUS, id, memberFxn)
#define ON_EN_MAXTEXT(id, memberFxn) ON_CONTROL(EN_MAXTEXT, id, memberFxn)
#define ON_EN_HSCROLL(id, memberFxn) ON_CONTROL(EN_HSCROLL, id, memberFxn)
#define ON_EN_VSCROLL(id, memberFxn) ON_CONTROL(EN_VSCROLL, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
#define ON_CBN_DBLCLK(id, memberFxn) ON_CONTROL(CBN_DBLCLK, id, memberFxn)
#define ON_CBN_SETFOCUS(id, memberFxn) ON_CONTROL(CBN_SETFOCUS, id, memberFxn)
#define ON_CBN_KILLFOCUS(id, memberFxn) ON_CONTROL(CBN_KILLFOCUS, id, memberFxn)
#define ON_CBN_EDITCHANGE(id, memberFxn) ON_CONTROL(CBN_EDITCHANGE, id, memberFxn)
#define ON_CBN_EDITUPDATE(id, memberFxn) ON_CONTROL(CBN_EDITUPDATE, id, memberFxn)
#define ON_CBN_DROPDOWN(id, memberFxn) ON_CONTROL(CBN_DROPDOWN, id, memberFxn)
#define ON_CBN_CLOSEUP(id, memberFxn) ON_CONTROL(CBN_CLOSEUP, id, memberFxn)
#define ON_CBN_SELENDOK(id, memberFxn) ON_CONTROL(CBN_SELENDOK, id, memberFxn)
#define ON_CBN_SELENDCANCEL(id, memberFxn) ON_CONTROL(CBN_SELENDCANCEL, id, memberFxn)
#define ON_LBN_SELCHANGE(id, memberFxn) ON_CONTROL(LBN_SELCHANGE, id, memberFxn)
#define ON_LBN_DBLCLK(id, memberFxn) ON_CONTROL(LBN_DBLCLK, id, memberFxn)
#define ON_LBN_SETFOCUS(id, memberFxn) ON_CONTROL(LBN_SETFOCUS, id, memberFxn)
#define ON_LBN_KILLFOCUS(id, memberFxn) ON_CONTROL(LBN_KILLFOCUS, id, memberFxn)
#define ON_LBN_SELCANCEL(id, memberFxn) ON_CONTROL(LBN_SELCANCEL, id, memberFxn)
#define ON_STN_CLICKED(id, memberFxn) ON_CONTROL(STN_CLICKED, id, memberFxn)
#define ON_STN_DBLCLK(id, memberFxn) ON_CONTROL(STN_DBLCLK, id, memberFxn)

// WM_NOTIFY from child controls.
#define ON_NOTIFY(wNotifyCode, id, memberFxn)                                                      \
    {WM_NOTIFY,                                                                                    \
     (UINT)(WORD)(int)(wNotifyCode),                                                               \
     (UINT)(id),                                                                                   \
     (UINT)(id),                                                                                   \
     nullptr,                                                                                      \
     [](AFX_THUNK_PARAMS) -> BOOL {                                                                \
         AFX_NOTIFY* n_ = (AFX_NOTIFY*)c_.pExtra;                                                  \
         AFX_CALL(void(NMHDR*, LRESULT*), memberFxn)(n_->pNMHDR, n_->pResult);                     \
         return TRUE;                                                                              \
     }},
#define ON_NOTIFY_RANGE(wNotifyCode, id, idLast, memberFxn)                                        \
    {WM_NOTIFY,                                                                                    \
     (UINT)(WORD)(int)(wNotifyCode),                                                               \
     (UINT)(id),                                                                                   \
     (UINT)(idLast),                                                                               \
     nullptr,                                                                                      \
     [](AFX_THUNK_PARAMS) -> BOOL {                                                                \
         AFX_NOTIFY* n_ = (AFX_NOTIFY*)c_.pExtra;                                                  \
         AFX_CALL(void(UINT, NMHDR*, LRESULT*), memberFxn)(c_.nID, n_->pNMHDR, n_->pResult);       \
         return TRUE;                                                                              \
     }},
#define ON_NOTIFY_EX(wNotifyCode, id, memberFxn)                                                   \
    {WM_NOTIFY,                                                                                    \
     (UINT)(WORD)(int)(wNotifyCode),                                                               \
     (UINT)(id),                                                                                   \
     (UINT)(id),                                                                                   \
     nullptr,                                                                                      \
     [](AFX_THUNK_PARAMS) -> BOOL {                                                                \
         AFX_NOTIFY* n_ = (AFX_NOTIFY*)c_.pExtra;                                                  \
         return AFX_CALL(BOOL(UINT, NMHDR*, LRESULT*), memberFxn)(c_.nID, n_->pNMHDR,              \
                                                                  n_->pResult);                    \
     }},
#define ON_NOTIFY_EX_RANGE(wNotifyCode, id, idLast, memberFxn)                                     \
    {WM_NOTIFY,                                                                                    \
     (UINT)(WORD)(int)(wNotifyCode),                                                               \
     (UINT)(id),                                                                                   \
     (UINT)(idLast),                                                                               \
     nullptr,                                                                                      \
     [](AFX_THUNK_PARAMS) -> BOOL {                                                                \
         AFX_NOTIFY* n_ = (AFX_NOTIFY*)c_.pExtra;                                                  \
         return AFX_CALL(BOOL(UINT, NMHDR*, LRESULT*), memberFxn)(c_.nID, n_->pNMHDR,              \
                                                                  n_->pResult);                    \
     }},

// Reflected notifications, handled by the control that sent them.
#define ON_NOTIFY_REFLECT(wNotifyCode, memberFxn)                                                  \
    {WM_REFLECT_BASE + WM_NOTIFY,                                                                  \
     (UINT)(WORD)(int)(wNotifyCode),                                                               \
     0,                                                                                            \
     0,                                                                                            \
     nullptr,                                                                                      \
     [](AFX_THUNK_PARAMS) -> BOOL {                                                                \
         AFX_NOTIFY* n_ = (AFX_NOTIFY*)c_.pExtra;                                                  \
         AFX_CALL(void(NMHDR*, LRESULT*), memberFxn)(n_->pNMHDR, n_->pResult);                     \
         return TRUE;                                                                              \
     }},
#define ON_NOTIFY_REFLECT_EX(wNotifyCode, memberFxn)                                               \
    {WM_REFLECT_BASE + WM_NOTIFY,                                                                  \
     (UINT)(WORD)(int)(wNotifyCode),                                                               \
     0,                                                                                            \
     0,                                                                                            \
     nullptr,                                                                                      \
     [](AFX_THUNK_PARAMS) -> BOOL {                                                                \
         AFX_NOTIFY* n_ = (AFX_NOTIFY*)c_.pExtra;                                                  \
         return AFX_CALL(BOOL(NMHDR*, LRESULT*), memberFxn)(n_->pNMHDR, n_->pResult);              \
     }},
#define ON_CONTROL_REFLECT(wNotifyCode, memberFxn)                                                 \
    {WM_REFLECT_BASE + WM_COMMAND,                                                                 \
     (UINT)(WORD)(wNotifyCode),                                                                    \
     0,                                                                                            \
     0,                                                                                            \
     nullptr,                                                                                      \
     [](AFX_THUNK_PARAMS) -> BOOL {                                                                \
         AFX_CALL(void(), memberFxn)();                                                            \
         return TRUE;                                                                              \
     }},
#define ON_CONTROL_REFLECT_EX(wNotifyCode, memberFxn)                                              \
    {WM_REFLECT_BASE + WM_COMMAND,                                                                 \
     (UINT)(WORD)(wNotifyCode),                                                                    \
     0,                                                                                            \
     0,                                                                                            \
     nullptr,                                                                                      \
     [](AFX_THUNK_PARAMS) -> BOOL { return AFX_CALL(BOOL(), memberFxn)(); }},

// Reflected window messages.
#define ON_WM_CTLCOLOR_REFLECT()                                                                   \
    {WM_REFLECT_BASE + WM_CTLCOLOR, 0, 0, 0, nullptr, [](AFX_THUNK_PARAMS) -> BOOL {               \
         AFX_CTLCOLOR* cc_ = (AFX_CTLCOLOR*)c_.lParam;                                             \
         HBRUSH hbr_ = AFX_CALL(HBRUSH(::CDC*, UINT), &ThisClass::CtlColor)(AFX_DC_(cc_->hDC),     \
                                                                            cc_->nCtlType);        \
         *c_.pResult = (LRESULT)hbr_;                                                              \
         return hbr_ != nullptr;                                                                   \
     }},
#define ON_WM_DRAWITEM_REFLECT()                                                                   \
    AFX_WM_V(WM_REFLECT_BASE + WM_DRAWITEM, void(LPDRAWITEMSTRUCT), &ThisClass::DrawItem,          \
             (LPDRAWITEMSTRUCT)c_.lParam)
#define ON_WM_MEASUREITEM_REFLECT()                                                                \
    AFX_WM_V(WM_REFLECT_BASE + WM_MEASUREITEM, void(LPMEASUREITEMSTRUCT), &ThisClass::MeasureItem, \
             (LPMEASUREITEMSTRUCT)c_.lParam)
#define ON_WM_COMPAREITEM_REFLECT()                                                                \
    AFX_WM(WM_REFLECT_BASE + WM_COMPAREITEM, int(LPCOMPAREITEMSTRUCT), &ThisClass::CompareItem,    \
           (LPCOMPAREITEMSTRUCT)c_.lParam)
#define ON_WM_DELETEITEM_REFLECT()                                                                 \
    AFX_WM_V(WM_REFLECT_BASE + WM_DELETEITEM, void(LPDELETEITEMSTRUCT), &ThisClass::DeleteItem,    \
             (LPDELETEITEMSTRUCT)c_.lParam)
#define ON_WM_HSCROLL_REFLECT()                                                                    \
    AFX_WM_V(WM_REFLECT_BASE + WM_HSCROLL, void(UINT, UINT), &ThisClass::HScroll,                  \
             LOWORD(c_.wParam), HIWORD(c_.wParam))
#define ON_WM_VSCROLL_REFLECT()                                                                    \
    AFX_WM_V(WM_REFLECT_BASE + WM_VSCROLL, void(UINT, UINT), &ThisClass::VScroll,                  \
             LOWORD(c_.wParam), HIWORD(c_.wParam))
#define ON_WM_PARENTNOTIFY_REFLECT()                                                               \
    AFX_WM_V(WM_REFLECT_BASE + WM_PARENTNOTIFY, void(UINT, LPARAM), &ThisClass::ParentNotify,      \
             LOWORD(c_.wParam), c_.lParam)

// ---------------------------------------------------------------------------------------------
// Window messages with the framework's handler signatures.
#define ON_WM_CREATE()                                                                             \
    AFX_WM(WM_CREATE, int(LPCREATESTRUCT), &ThisClass::OnCreate, (LPCREATESTRUCT)c_.lParam)
#define ON_WM_NCCREATE()                                                                           \
    AFX_WM(WM_NCCREATE, BOOL(LPCREATESTRUCT), &ThisClass::OnNcCreate, (LPCREATESTRUCT)c_.lParam)
#define ON_WM_DESTROY() AFX_WM_V(WM_DESTROY, void(), &ThisClass::OnDestroy)
#define ON_WM_NCDESTROY() AFX_WM_V(WM_NCDESTROY, void(), &ThisClass::OnNcDestroy)
#define ON_WM_CLOSE() AFX_WM_V(WM_CLOSE, void(), &ThisClass::OnClose)
#define ON_WM_SIZE()                                                                               \
    AFX_WM_V(WM_SIZE, void(UINT, int, int), &ThisClass::OnSize, (UINT)c_.wParam,                   \
             (short)LOWORD(c_.lParam), (short)HIWORD(c_.lParam))
#define ON_WM_SIZING()                                                                             \
    AFX_WM_V(WM_SIZING, void(UINT, LPRECT), &ThisClass::OnSizing, (UINT)c_.wParam,                 \
             (LPRECT)c_.lParam)
#define ON_WM_MOVE()                                                                               \
    AFX_WM_V(WM_MOVE, void(int, int), &ThisClass::OnMove, (short)LOWORD(c_.lParam),                \
             (short)HIWORD(c_.lParam))
#define ON_WM_PAINT() AFX_WM_V(WM_PAINT, void(), &ThisClass::OnPaint)
#define ON_WM_NCPAINT() AFX_WM_V(WM_NCPAINT, void(), &ThisClass::OnNcPaint)
#define ON_WM_ERASEBKGND()                                                                         \
    AFX_WM(WM_ERASEBKGND, BOOL(::CDC*), &ThisClass::OnEraseBkgnd, AFX_DC_(c_.wParam))
#define ON_WM_TIMER() AFX_WM_V(WM_TIMER, void(UINT_PTR), &ThisClass::OnTimer, (UINT_PTR)c_.wParam)
#define ON_WM_SETFOCUS()                                                                           \
    AFX_WM_V(WM_SETFOCUS, void(::CWnd*), &ThisClass::OnSetFocus, AFX_WND_(c_.wParam))
#define ON_WM_KILLFOCUS()                                                                          \
    AFX_WM_V(WM_KILLFOCUS, void(::CWnd*), &ThisClass::OnKillFocus, AFX_WND_(c_.wParam))
#define ON_WM_KEYDOWN()                                                                            \
    AFX_WM_V(WM_KEYDOWN, void(UINT, UINT, UINT), &ThisClass::OnKeyDown, (UINT)c_.wParam,           \
             LOWORD(c_.lParam), HIWORD(c_.lParam))
#define ON_WM_KEYUP()                                                                              \
    AFX_WM_V(WM_KEYUP, void(UINT, UINT, UINT), &ThisClass::OnKeyUp, (UINT)c_.wParam,               \
             LOWORD(c_.lParam), HIWORD(c_.lParam))
#define ON_WM_CHAR()                                                                               \
    AFX_WM_V(WM_CHAR, void(UINT, UINT, UINT), &ThisClass::OnChar, (UINT)c_.wParam,                 \
             LOWORD(c_.lParam), HIWORD(c_.lParam))
#define ON_WM_SYSKEYDOWN()                                                                         \
    AFX_WM_V(WM_SYSKEYDOWN, void(UINT, UINT, UINT), &ThisClass::OnSysKeyDown, (UINT)c_.wParam,     \
             LOWORD(c_.lParam), HIWORD(c_.lParam))
#define ON_WM_SYSKEYUP()                                                                           \
    AFX_WM_V(WM_SYSKEYUP, void(UINT, UINT, UINT), &ThisClass::OnSysKeyUp, (UINT)c_.wParam,         \
             LOWORD(c_.lParam), HIWORD(c_.lParam))
#define ON_WM_SYSCHAR()                                                                            \
    AFX_WM_V(WM_SYSCHAR, void(UINT, UINT, UINT), &ThisClass::OnSysChar, (UINT)c_.wParam,           \
             LOWORD(c_.lParam), HIWORD(c_.lParam))
#define ON_WM_LBUTTONDOWN()                                                                        \
    AFX_WM_V(WM_LBUTTONDOWN, void(UINT, ::CPoint), &ThisClass::OnLButtonDown, (UINT)c_.wParam,     \
             AFX_PT_)
#define ON_WM_LBUTTONUP()                                                                          \
    AFX_WM_V(WM_LBUTTONUP, void(UINT, ::CPoint), &ThisClass::OnLButtonUp, (UINT)c_.wParam, AFX_PT_)
#define ON_WM_LBUTTONDBLCLK()                                                                      \
    AFX_WM_V(WM_LBUTTONDBLCLK, void(UINT, ::CPoint), &ThisClass::OnLButtonDblClk, (UINT)c_.wParam, \
             AFX_PT_)
#define ON_WM_RBUTTONDOWN()                                                                        \
    AFX_WM_V(WM_RBUTTONDOWN, void(UINT, ::CPoint), &ThisClass::OnRButtonDown, (UINT)c_.wParam,     \
             AFX_PT_)
#define ON_WM_RBUTTONUP()                                                                          \
    AFX_WM_V(WM_RBUTTONUP, void(UINT, ::CPoint), &ThisClass::OnRButtonUp, (UINT)c_.wParam, AFX_PT_)
#define ON_WM_RBUTTONDBLCLK()                                                                      \
    AFX_WM_V(WM_RBUTTONDBLCLK, void(UINT, ::CPoint), &ThisClass::OnRButtonDblClk, (UINT)c_.wParam, \
             AFX_PT_)
#define ON_WM_MBUTTONDOWN()                                                                        \
    AFX_WM_V(WM_MBUTTONDOWN, void(UINT, ::CPoint), &ThisClass::OnMButtonDown, (UINT)c_.wParam,     \
             AFX_PT_)
#define ON_WM_MBUTTONUP()                                                                          \
    AFX_WM_V(WM_MBUTTONUP, void(UINT, ::CPoint), &ThisClass::OnMButtonUp, (UINT)c_.wParam, AFX_PT_)
#define ON_WM_MOUSEMOVE()                                                                          \
    AFX_WM_V(WM_MOUSEMOVE, void(UINT, ::CPoint), &ThisClass::OnMouseMove, (UINT)c_.wParam, AFX_PT_)
#define ON_WM_MOUSEWHEEL()                                                                         \
    AFX_WM(WM_MOUSEWHEEL, BOOL(UINT, short, ::CPoint), &ThisClass::OnMouseWheel,                   \
           LOWORD(c_.wParam), (short)HIWORD(c_.wParam), AFX_PT_)
#define ON_WM_MOUSEHWHEEL()                                                                        \
    AFX_WM_V(WM_MOUSEHWHEEL, void(UINT, short, ::CPoint), &ThisClass::OnMouseHWheel,               \
             LOWORD(c_.wParam), (short)HIWORD(c_.wParam), AFX_PT_)
#define ON_WM_MOUSELEAVE() AFX_WM_V(WM_MOUSELEAVE, void(), &ThisClass::OnMouseLeave)
#define ON_WM_MOUSEACTIVATE()                                                                      \
    AFX_WM(WM_MOUSEACTIVATE, int(::CWnd*, UINT, UINT), &ThisClass::OnMouseActivate,                \
           AFX_WND_(c_.wParam), LOWORD(c_.lParam), HIWORD(c_.lParam))
#define ON_WM_SETCURSOR()                                                                          \
    AFX_WM(WM_SETCURSOR, BOOL(::CWnd*, UINT, UINT), &ThisClass::OnSetCursor, AFX_WND_(c_.wParam),  \
           LOWORD(c_.lParam), HIWORD(c_.lParam))
#define ON_WM_CONTEXTMENU()                                                                        \
    AFX_WM_V(WM_CONTEXTMENU, void(::CWnd*, ::CPoint), &ThisClass::OnContextMenu,                   \
             AFX_WND_(c_.wParam), AFX_PT_)
#define ON_WM_HSCROLL()                                                                            \
    AFX_WM_V(WM_HSCROLL, void(UINT, UINT, ::CScrollBar*), &ThisClass::OnHScroll,                   \
             LOWORD(c_.wParam), HIWORD(c_.wParam), (::CScrollBar*)AFX_WND_(c_.lParam))
#define ON_WM_VSCROLL()                                                                            \
    AFX_WM_V(WM_VSCROLL, void(UINT, UINT, ::CScrollBar*), &ThisClass::OnVScroll,                   \
             LOWORD(c_.wParam), HIWORD(c_.wParam), (::CScrollBar*)AFX_WND_(c_.lParam))
#define ON_WM_CTLCOLOR()                                                                           \
    {WM_CTLCOLOR, 0, 0, 0, nullptr, [](AFX_THUNK_PARAMS) -> BOOL {                                 \
         AFX_CTLCOLOR* cc_ = (AFX_CTLCOLOR*)c_.lParam;                                             \
         *c_.pResult = (LRESULT)AFX_CALL(HBRUSH(::CDC*, ::CWnd*, UINT), &ThisClass::OnCtlColor)(   \
             AFX_DC_(cc_->hDC), AFX_WND_(cc_->hWnd), cc_->nCtlType);                               \
         return TRUE;                                                                              \
     }},
#define ON_WM_DRAWITEM()                                                                           \
    AFX_WM_V(WM_DRAWITEM, void(int, LPDRAWITEMSTRUCT), &ThisClass::OnDrawItem, (int)c_.wParam,     \
             (LPDRAWITEMSTRUCT)c_.lParam)
#define ON_WM_MEASUREITEM()                                                                        \
    AFX_WM_V(WM_MEASUREITEM, void(int, LPMEASUREITEMSTRUCT), &ThisClass::OnMeasureItem,            \
             (int)c_.wParam, (LPMEASUREITEMSTRUCT)c_.lParam)
#define ON_WM_COMPAREITEM()                                                                        \
    AFX_WM(WM_COMPAREITEM, int(int, LPCOMPAREITEMSTRUCT), &ThisClass::OnCompareItem,               \
           (int)c_.wParam, (LPCOMPAREITEMSTRUCT)c_.lParam)
#define ON_WM_DELETEITEM()                                                                         \
    AFX_WM_V(WM_DELETEITEM, void(int, LPDELETEITEMSTRUCT), &ThisClass::OnDeleteItem,               \
             (int)c_.wParam, (LPDELETEITEMSTRUCT)c_.lParam)
#define ON_WM_GETDLGCODE() AFX_WM(WM_GETDLGCODE, UINT(), &ThisClass::OnGetDlgCode)
#define ON_WM_SHOWWINDOW()                                                                         \
    AFX_WM_V(WM_SHOWWINDOW, void(BOOL, UINT), &ThisClass::OnShowWindow, (BOOL)c_.wParam,           \
             (UINT)c_.lParam)
#define ON_WM_WINDOWPOSCHANGING()                                                                  \
    AFX_WM_V(WM_WINDOWPOSCHANGING, void(WINDOWPOS*), &ThisClass::OnWindowPosChanging,              \
             (WINDOWPOS*)c_.lParam)
#define ON_WM_WINDOWPOSCHANGED()                                                                   \
    AFX_WM_V(WM_WINDOWPOSCHANGED, void(WINDOWPOS*), &ThisClass::OnWindowPosChanged,                \
             (WINDOWPOS*)c_.lParam)
#define ON_WM_GETMINMAXINFO()                                                                      \
    AFX_WM_V(WM_GETMINMAXINFO, void(MINMAXINFO*), &ThisClass::OnGetMinMaxInfo,                     \
             (MINMAXINFO*)c_.lParam)
#define ON_WM_ACTIVATE()                                                                           \
    AFX_WM_V(WM_ACTIVATE, void(UINT, ::CWnd*, BOOL), &ThisClass::OnActivate, LOWORD(c_.wParam),    \
             AFX_WND_(c_.lParam), (BOOL)HIWORD(c_.wParam))
#define ON_WM_ACTIVATEAPP()                                                                        \
    AFX_WM_V(WM_ACTIVATEAPP, void(BOOL, DWORD), &ThisClass::OnActivateApp, (BOOL)c_.wParam,        \
             (DWORD)c_.lParam)
#define ON_WM_NCACTIVATE()                                                                         \
    AFX_WM(WM_NCACTIVATE, BOOL(BOOL), &ThisClass::OnNcActivate, (BOOL)c_.wParam)
#define ON_WM_NCHITTEST() AFX_WM(WM_NCHITTEST, LRESULT(::CPoint), &ThisClass::OnNcHitTest, AFX_PT_)
#define ON_WM_NCCALCSIZE()                                                                         \
    AFX_WM_V(WM_NCCALCSIZE, void(BOOL, NCCALCSIZE_PARAMS*), &ThisClass::OnNcCalcSize,              \
             (BOOL)c_.wParam, (NCCALCSIZE_PARAMS*)c_.lParam)
#define ON_WM_NCLBUTTONDOWN()                                                                      \
    AFX_WM_V(WM_NCLBUTTONDOWN, void(UINT, ::CPoint), &ThisClass::OnNcLButtonDown, (UINT)c_.wParam, \
             AFX_PT_)
#define ON_WM_NCLBUTTONUP()                                                                        \
    AFX_WM_V(WM_NCLBUTTONUP, void(UINT, ::CPoint), &ThisClass::OnNcLButtonUp, (UINT)c_.wParam,     \
             AFX_PT_)
#define ON_WM_NCLBUTTONDBLCLK()                                                                    \
    AFX_WM_V(WM_NCLBUTTONDBLCLK, void(UINT, ::CPoint), &ThisClass::OnNcLButtonDblClk,              \
             (UINT)c_.wParam, AFX_PT_)
#define ON_WM_NCMOUSEMOVE()                                                                        \
    AFX_WM_V(WM_NCMOUSEMOVE, void(UINT, ::CPoint), &ThisClass::OnNcMouseMove, (UINT)c_.wParam,     \
             AFX_PT_)
#define ON_WM_INITMENUPOPUP()                                                                      \
    AFX_WM_V(WM_INITMENUPOPUP, void(::CMenu*, UINT, BOOL), &ThisClass::OnInitMenuPopup,            \
             ::CMenu::FromHandle((HMENU)c_.wParam), LOWORD(c_.lParam), (BOOL)HIWORD(c_.lParam))
#define ON_WM_MENUCHAR()                                                                           \
    AFX_WM(WM_MENUCHAR, LRESULT(UINT, UINT, ::CMenu*), &ThisClass::OnMenuChar, LOWORD(c_.wParam),  \
           HIWORD(c_.wParam), ::CMenu::FromHandle((HMENU)c_.lParam))
#define ON_WM_MENUSELECT()                                                                         \
    AFX_WM_V(WM_MENUSELECT, void(UINT, UINT, HMENU), &ThisClass::OnMenuSelect, LOWORD(c_.wParam),  \
             HIWORD(c_.wParam), (HMENU)c_.lParam)
#define ON_WM_SYSCOMMAND()                                                                         \
    AFX_WM_V(WM_SYSCOMMAND, void(UINT, LPARAM), &ThisClass::OnSysCommand, (UINT)c_.wParam,         \
             c_.lParam)
#define ON_WM_SETTINGCHANGE()                                                                      \
    AFX_WM_V(WM_SETTINGCHANGE, void(UINT, LPCTSTR), &ThisClass::OnSettingChange, (UINT)c_.wParam,  \
             (LPCTSTR)c_.lParam)
#define ON_WM_SYSCOLORCHANGE() AFX_WM_V(WM_SYSCOLORCHANGE, void(), &ThisClass::OnSysColorChange)
#define ON_WM_THEMECHANGED() AFX_WM(WM_THEMECHANGED, LRESULT(), &ThisClass::OnThemeChanged)
#define ON_WM_CAPTURECHANGED()                                                                     \
    AFX_WM_V(WM_CAPTURECHANGED, void(::CWnd*), &ThisClass::OnCaptureChanged, AFX_WND_(c_.lParam))
#define ON_WM_CANCELMODE() AFX_WM_V(WM_CANCELMODE, void(), &ThisClass::OnCancelMode)
#define ON_WM_ENABLE() AFX_WM_V(WM_ENABLE, void(BOOL), &ThisClass::OnEnable, (BOOL)c_.wParam)
#define ON_WM_DROPFILES()                                                                          \
    AFX_WM_V(WM_DROPFILES, void(HDROP), &ThisClass::OnDropFiles, (HDROP)c_.wParam)
#define ON_WM_HELPINFO()                                                                           \
    AFX_WM(WM_HELP, BOOL(HELPINFO*), &ThisClass::OnHelpInfo, (HELPINFO*)c_.lParam)
#define ON_WM_COPYDATA()                                                                           \
    AFX_WM(WM_COPYDATA, BOOL(::CWnd*, COPYDATASTRUCT*), &ThisClass::OnCopyData,                    \
           AFX_WND_(c_.wParam), (COPYDATASTRUCT*)c_.lParam)
#define ON_WM_PARENTNOTIFY()                                                                       \
    AFX_WM_V(WM_PARENTNOTIFY, void(UINT, LPARAM), &ThisClass::OnParentNotify, LOWORD(c_.wParam),   \
             c_.lParam)
#define ON_WM_ENTERIDLE()                                                                          \
    AFX_WM_V(WM_ENTERIDLE, void(UINT, ::CWnd*), &ThisClass::OnEnterIdle, (UINT)c_.wParam,          \
             AFX_WND_(c_.lParam))
#define ON_WM_QUERYENDSESSION() AFX_WM(WM_QUERYENDSESSION, BOOL(), &ThisClass::OnQueryEndSession)
#define ON_WM_ENDSESSION()                                                                         \
    AFX_WM_V(WM_ENDSESSION, void(BOOL), &ThisClass::OnEndSession, (BOOL)c_.wParam)
#define ON_WM_CHARTOITEM()                                                                         \
    AFX_WM(WM_CHARTOITEM, int(UINT, ::CListBox*, UINT), &ThisClass::OnCharToItem,                  \
           LOWORD(c_.wParam), (::CListBox*)AFX_WND_(c_.lParam), HIWORD(c_.wParam))
#define ON_WM_VKEYTOITEM()                                                                         \
    AFX_WM(WM_VKEYTOITEM, int(UINT, ::CListBox*, UINT), &ThisClass::OnVKeyToItem,                  \
           LOWORD(c_.wParam), (::CListBox*)AFX_WND_(c_.lParam), HIWORD(c_.wParam))
