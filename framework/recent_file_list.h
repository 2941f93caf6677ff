// CRecentFileList: the most recently used files, kept in a profile section (entries made from
// a format such as "File%d", numbered from 1) and shown as numbered items of a menu.
#pragma once

#include "framework/cmd_ui.h"

#include <vector>

class CRecentFileList
{
public:
    CRecentFileList(UINT nStart, LPCTSTR lpszSection, LPCTSTR lpszEntryFormat, int nSize,
                    int nMaxDispLen = 30);
    virtual ~CRecentFileList();

    int GetSize() const { return m_nSize; }
    CString& operator[](int nIndex) { return m_arrNames[nIndex]; }
    const CString& operator[](int nIndex) const { return m_arrNames[nIndex]; }

    // Puts a file at the top (taking it out of a lower place); the full path is kept.
    virtual void Add(LPCTSTR lpszPathName);
    virtual void Remove(int nIndex);
    // The menu text of an entry: the file name alone when it lies in lpszCurDir, otherwise the
    // path shortened to the display length ("C:\...\folder\file.sql"); '&' doubled.
    virtual BOOL GetDisplayName(CString& strName, int nIndex, LPCTSTR lpszCurDir, int nCurDir,
                                BOOL bAtLeastName = TRUE) const;
    // Replaces the menu item of pCmdUI (id nStart) by the numbered entries, or shows it
    // disabled with its original text when the list is empty.
    virtual void UpdateMenu(CCmdUI* pCmdUI);
    virtual void ReadList();
    virtual void WriteList();

    CString m_strSectionName;
    CString m_strEntryFormat;
    UINT m_nStart;
    int m_nSize;
    int m_nMaxDisplayLength;
    CString m_strOriginal; // the menu item's text before the list replaced it
    std::vector<CString> m_arrNames;
};

// A path shortened to nMaxLength characters: the drive or server, "...", and as many of the
// last parts as fit (at least the file name when bAtLeastName).
CString AfxAbbreviateName(LPCTSTR lpszCanon, int nMaxLength, BOOL bAtLeastName);
