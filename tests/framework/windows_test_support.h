// Helpers of the window tests: in-memory dialog templates, message pumping and keyboard state.
#pragma once

#include "framework/ui.h"

#include <vector>

// Message boxes the test application was asked to show (it answers IDOK without showing).
std::vector<CString>& TestMessageBoxes();

// Builds a DLGTEMPLATE with its items in memory.
class DialogTemplate
{
public:
    DialogTemplate(LPCWSTR title, short cx, short cy,
                   DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT);
    // Predefined classes: 0x80 button, 0x81 edit, 0x82 static, 0x83 list box, 0x85 combo box.
    void Add(WORD classAtom, WORD id, LPCWSTR text, DWORD style, short x, short y, short cx,
             short cy);
    LPCDLGTEMPLATE Get();
    // The position in the template (dialog units; 10, 10 unless placed).
    void Place(short x, short y);

private:
    void Word(WORD w);
    void Dword(DWORD d);
    void String(LPCWSTR s);
    void Align();
    std::vector<BYTE> m_bytes;
    WORD m_nItems = 0;
};

// Dialog-initialisation records for list and combo boxes, ending with the terminator.
std::vector<BYTE> MakeDlgInit(const std::vector<std::pair<WORD, const char*>>& items,
                              WORD message = 0x0403);

// Runs queued messages through the thread's pre-translate step and dispatch until none is left.
void PumpPending();

// Makes GetKeyState report the given keys as held (empty: none).
void SetHeldKeys(std::initializer_list<BYTE> keys);
