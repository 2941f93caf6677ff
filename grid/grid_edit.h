// CGridEdit: the in-place editor of one grid cell: an edit box, optionally a check box that
// switches between a value and NULL (ticked = a value), and optionally a button that drops down
// a list of proposed values from a value source (CGridEdit::CDataInterface): the values a
// foreign key refers to, a new GUID, or the current date and time.
//
// The editor ends when the focus leaves it and its controls: it sends the grid's parent
// LVN_ENDLABELEDITW (reflected to the grid) with the row, column and text (null after Esc),
// lParam = end reason in bits 0-15 and the value kind (0 value, 1 NULL) in bits 16-31, and
// destroys itself (which deletes it and its value source).
#pragma once

#include "controls/in_place_wnd.h"
#include "dbaccess/catalog.h"
#include "dbaccess/database.h"
#include "grid/grid_item.h"

class CRGrid;
class CRRecordset;

class CGridEdit : public CInPlaceWnd
{
    DECLARE_DYNAMIC(CGridEdit)

public:
    // A source of proposed values: Open starts a pass, GetNext gives the values one by one.
    class CDataInterface
    {
    public:
        virtual ~CDataInterface() {}
        virtual bool Open() = 0;
        virtual bool GetNext(CString& strValue) = 0;
    };

    // Flag bits.
    enum : UINT
    {
        flagNullBox = 1,
        flagList = 2
    };
    // Control ids of the parts.
    enum : UINT
    {
        idNullBox = 1,
        idEdit = 2,
        idButton = 3,
        idList = 4
    };

    // Takes over the source: the caller's pointer becomes null.
    CGridEdit(int nRow, int nColumn, UINT nFlags, const CGridItem& value, CDataInterface*& pSource);
    ~CGridEdit() override;

    BOOL Create(DWORD dwEditStyle, const RECT& rect, CRGrid* pGrid, UINT nID, int nLimit);
    // The same over any list that reflects LVN_ENDLABELEDITW (the filter dialog's conditions).
    BOOL Create(DWORD dwEditStyle, const RECT& rect, CWnd* pList, UINT nID, int nLimit);

    // A limit the user is told of (before Create): a change that would make the value longer
    // than nChars characters is not taken, and a message says why (naming what holds the
    // value). Unlike the edit box's own limit (Create's nLimit), which cuts a longer paste
    // without a word. Below 1: none.
    void SetToldLimit(int nChars, LPCWSTR pszHolder = L"column")
    {
        m_nToldLimit = nChars;
        m_strLimitHolder = pszHolder;
    }

    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    bool IsListOpen() const { return m_list.m_hWnd != nullptr; }
    // Opens or closes the drop-down list.
    void ToggleList();
    void CloseList();
    void ChooseListEntry();

    CString m_strText;
    UINT m_nKind = 0;
    BYTE m_bNullBox = 0;
    BYTE m_bListOffered = 0;
    int m_nLimit = -1;
    DWORD m_dwEditStyle = 0;
    CDataInterface* m_pSource = nullptr;
    CFocusWnd<CEdit> m_edit;
    CFocusWnd<CButton> m_check;
    CFocusWnd<CButton> m_button;
    CFocusWnd<CListBox> m_list;

protected:
    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnKillFocus(CWnd* pNewWnd);
    afx_msg void OnNullClicked();
    afx_msg void OnButtonClicked();
    void UpdateNullState();
    void UpdateNullText();
    void AdjustWidth();
    // Puts the row of edit parts at the top or bottom of the editor and the list at the other.
    void AlignChildren(bool bPartsAtTop);
    bool IsOwnWindow(HWND hWnd) const;

    // After a change of the text: undoes it when it breaks the told limit, and says so.
    void KeepToldLimit();

    bool m_bListAbove = false;
    bool m_bEnding = false;
    int m_nToldLimit = -1;
    CString m_strLimitHolder = L"column";
    CString m_strFitting; // the last text within the told limit, and its selection
    int m_nFittingStart = 0;
    int m_nFittingEnd = 0;
    bool m_bQuietChange = false; // the text is being set by the editor itself
    bool m_bTelling = false;     // the message about the limit is up
    DECLARE_MESSAGE_MAP()
};

// The distinct values of the column a foreign key refers to.
class CRGridFKDataInterface : public CGridEdit::CDataInterface
{
public:
    CRGridFKDataInterface(CRDatabase* pDatabase, LPCWSTR pszSQL, UINT nTimeout);
    ~CRGridFKDataInterface() override;
    bool Open() override;
    bool GetNext(CString& strValue) override;

    CRDatabase* m_pDatabase;
    CString m_strSQL;
    UINT m_nTimeout;
    CRRecordset* m_pRecordset = nullptr;
};

// One new GUID per pass.
class CRGridGuidDataInterface : public CGridEdit::CDataInterface
{
public:
    CRGridGuidDataInterface() {}
    bool Open() override
    {
        m_bDone = false;
        return true;
    }
    bool GetNext(CString& strValue) override;

    bool m_bDone = false;
};

// The current local date, time or timestamp, by SQL type, once per pass.
class CRGridTimeDataInterface : public CGridEdit::CDataInterface
{
public:
    explicit CRGridTimeDataInterface(int nSQLType) : m_nSQLType(nSQLType) {}
    bool Open() override
    {
        m_bDone = false;
        return true;
    }
    bool GetNext(CString& strValue) override;

    bool m_bDone = false;
    int m_nSQLType;
};

// The most characters a cell editor may take for a result column, by the column's size where
// that bounds its values (hex digits for binary data); -1 where there is no such bound or the
// column is not edited as text.
LONGLONG ColumnEditLimit(Zelt::ICursor* pCursor, UINT nCursorColumn);
// Characters as a database counts them: a surrogate pair is one.
int CountCharacters(const CString& text);
// The first sentence of the message that a value would go past the limit of what holds it (a
// column, a parameter).
CString FormatLimitMessage(int nLimit, int nChars, LPCWSTR pszHolder = L"column");

// "6B29FC40-CA47-1067-B31D-00DD010662DA".
CString FormatGuidProposal(const GUID& guid);
// The time proposal for a SQL type: "2024/03/05 07:08:09" (timestamps; with " +05:30" for the
// offset type, bias in minutes west of UTC as GetTimeZoneInformation gives it), "07:08:09"
// (times), "2024/03/05" (dates); "" for other types.
CString FormatTimeProposal(const SYSTEMTIME& time, int nSQLType, LONG nBias);
// The zone offset text of a bias: " +05:30", " -00:30".
CString FormatZoneOffset(LONG nBias);
// The SELECT of the values a foreign-key column may take, or "" when no record has the column
// (compared exactly) as its referencing column.
CString BuildFKValuesSQL(
    LPCWSTR pszColumn,
    const CArray<CRForeignKey::CForeignKeyInfo, const CRForeignKey::CForeignKeyInfo&>& keys,
    CRDatabase* pQuoteDatabase);
// Replaces the source with one over the foreign key's values; true when the source is set.
bool MakeFKValuesQuery(
    LPCWSTR pszColumn,
    const CArray<CRForeignKey::CForeignKeyInfo, const CRForeignKey::CForeignKeyInfo&>& keys,
    CRDatabase* pDatabase, CRDatabase* pQuoteDatabase, UINT nTimeout,
    CGridEdit::CDataInterface*& pSource);
