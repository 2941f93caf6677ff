// CWindowsArray: a program-wide list of open child windows of one kind. A child window adds itself
// when it is built and removes itself when it is destroyed; the main frame only walks the lists.
#pragma once

#include <algorithm>
#include <vector>

template <class TWindow>
class CWindowsArray
{
public:
    void Add(TWindow* pWindow)
    {
        if (pWindow != nullptr && Find(pWindow) < 0)
            m_windows.push_back(pWindow);
    }
    void Remove(TWindow* pWindow)
    {
        auto it = std::find(m_windows.begin(), m_windows.end(), pWindow);
        if (it != m_windows.end())
            m_windows.erase(it);
    }
    int Find(const TWindow* pWindow) const
    {
        auto it = std::find(m_windows.begin(), m_windows.end(), pWindow);
        return it == m_windows.end() ? -1 : (int)(it - m_windows.begin());
    }
    int GetSize() const { return (int)m_windows.size(); }
    bool IsEmpty() const { return m_windows.empty(); }
    TWindow* GetAt(int nIndex) const { return m_windows[nIndex]; }
    TWindow* operator[](int nIndex) const { return m_windows[nIndex]; }
    // A copy to walk while the windows may add or remove themselves (closing, refreshing).
    std::vector<TWindow*> Snapshot() const { return m_windows; }

private:
    std::vector<TWindow*> m_windows;
};

class CGridChildFrame;
class CSQLChildFrame;

// The open grid windows and script windows, in the order they were created.
extern CWindowsArray<CGridChildFrame> theGridWindows;
extern CWindowsArray<CSQLChildFrame> theSQLWindows;
