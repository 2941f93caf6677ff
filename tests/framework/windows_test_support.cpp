#include "windows_test_support.h"

#include <cstring>

DialogTemplate::DialogTemplate(LPCWSTR title, short cx, short cy, DWORD style)
{
    Dword(style);
    Dword(0);
    Word(0); // item count, patched in Get
    Word(10);
    Word(10);
    Word((WORD)cx);
    Word((WORD)cy);
    Word(0); // no menu
    Word(0); // default class
    String(title);
    if (style & DS_SETFONT)
    {
        Word(8);
        String(L"MS Shell Dlg");
    }
}

void DialogTemplate::Place(short x, short y)
{
    // DLGTEMPLATE: style, extended style, item count, then x and y.
    memcpy(&m_bytes[10], &x, sizeof(x));
    memcpy(&m_bytes[12], &y, sizeof(y));
}

void DialogTemplate::Add(WORD classAtom, WORD id, LPCWSTR text, DWORD style, short x, short y,
                         short cx, short cy)
{
    Align();
    Dword(style | WS_CHILD | WS_VISIBLE);
    Dword(0);
    Word((WORD)x);
    Word((WORD)y);
    Word((WORD)cx);
    Word((WORD)cy);
    Word(id);
    Word(0xFFFF);
    Word(classAtom);
    String(text);
    Word(0); // no creation data
    m_nItems++;
}

LPCDLGTEMPLATE DialogTemplate::Get()
{
    memcpy(&m_bytes[8], &m_nItems, sizeof(WORD));
    return reinterpret_cast<LPCDLGTEMPLATE>(m_bytes.data());
}

void DialogTemplate::Word(WORD w)
{
    m_bytes.push_back(LOBYTE(w));
    m_bytes.push_back(HIBYTE(w));
}

void DialogTemplate::Dword(DWORD d)
{
    Word(LOWORD(d));
    Word(HIWORD(d));
}

void DialogTemplate::String(LPCWSTR s)
{
    for (; *s; ++s)
        Word(*s);
    Word(0);
}

void DialogTemplate::Align()
{
    while (m_bytes.size() % 4 != 0)
        m_bytes.push_back(0);
}

std::vector<BYTE> MakeDlgInit(const std::vector<std::pair<WORD, const char*>>& items, WORD message)
{
    std::vector<BYTE> data;
    auto put = [&data](const void* p, size_t n) {
        data.insert(data.end(), (const BYTE*)p, (const BYTE*)p + n);
    };
    for (const auto& item : items)
    {
        DWORD len = (DWORD)strlen(item.second) + 1;
        put(&item.first, 2);
        put(&message, 2);
        put(&len, 4);
        put(item.second, len);
    }
    WORD end = 0;
    put(&end, 2);
    return data;
}

void PumpPending()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        if (msg.message == WM_QUIT)
        {
            ::PostQuitMessage((int)msg.wParam);
            break;
        }
        if (!AfxPreTranslateMessage(&msg))
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

void SetHeldKeys(std::initializer_list<BYTE> keys)
{
    BYTE state[256] = {};
    for (BYTE key : keys)
        state[key] = 0x80;
    ::SetKeyboardState(state);
}
