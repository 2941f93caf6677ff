#include "services/xlsx_standin.h"

#include "framework/automation.h"
#include "services/excel_cells.h"
#include "services/xlsx_book.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace {

// The failure a member reports through EXCEPINFO.
struct CStandInError
{
    CString text;
};

[[noreturn]] void Fail(LPCWSTR text)
{
    throw CStandInError{text};
}

// An argument as given: omitted (VT_ERROR DISP_E_PARAMNOTFOUND, or missing) or a value.
bool IsOmitted(const VARIANT* v)
{
    return !v || (v->vt == VT_ERROR && v->scode == DISP_E_PARAMNOTFOUND) || v->vt == VT_EMPTY;
}

const VARIANT* Deref(const VARIANT* v)
{
    while (v && v->vt == (VT_BYREF | VT_VARIANT))
        v = v->pvarVal;
    return v;
}

long ToLong(const VARIANT* v)
{
    VARIANT out;
    VariantInit(&out);
    if (!v || FAILED(VariantChangeType(&out, const_cast<VARIANT*>(v), 0, VT_I4)))
        Fail(L"A number was expected.");
    return out.lVal;
}

bool ToBool(const VARIANT* v)
{
    VARIANT out;
    VariantInit(&out);
    if (!v || FAILED(VariantChangeType(&out, const_cast<VARIANT*>(v), 0, VT_BOOL)))
        Fail(L"True or false was expected.");
    return out.boolVal != VARIANT_FALSE;
}

CString ToText(const VARIANT* v)
{
    if (v && v->vt == VT_BSTR)
        return CString(v->bstrVal, static_cast<int>(SysStringLen(v->bstrVal)));
    COleVariant out;
    if (!v || FAILED(VariantChangeType(&out, const_cast<VARIANT*>(v), 0, VT_BSTR)))
        Fail(L"A text was expected.");
    return CString(out.bstrVal, static_cast<int>(SysStringLen(out.bstrVal)));
}

std::mutex g_journalMutex;
std::vector<CString> g_journal;

void Note(const CString& text)
{
    std::lock_guard<std::mutex> lock(g_journalMutex);
    g_journal.push_back(text);
}

struct CBookState;

// The application: its alerts setting and the workbooks it holds open. A workbook stays open
// here until it is closed, whoever still holds its object.
struct CAppState
{
    bool bDisplayAlerts = true;
    bool bQuit = false;
    int nBooksMade = 0;
    std::vector<std::shared_ptr<CBookState>> open;
};

struct CBookState
{
    CXlsxBook book;
    std::set<CString> names; // sheet names in use, upper case
    CString strName;         // "Book1", ...
    CString strFile;         // the last SaveAs
    bool bClosed = false;
    // Like the real application's Saved property: a new workbook counts as saved until it is
    // changed, and a SaveAs saves it again.
    bool bSaved = true;
    std::weak_ptr<CAppState> app;
};

// The question the real application asks before it drops an unsaved workbook. It runs
// invisibly, so the question waits for an answer nobody can give and the call never returns;
// here the call fails instead, and the journal keeps the question.
[[noreturn]] void AskToSave(const CBookState& state, LPCWSTR pszCall)
{
    CString question;
    question.Format(L"Do you want to save the changes you made to '%s'?",
                    state.strName.GetString());
    Note(L"Prompt: " + question);
    Fail(CString(pszCall) + L" waits for an answer to: " + question);
}

// The common part of every object: reference count, the thread that may call it, the names
// of its members, and the argument handling of Invoke.
class CStandInObject : public IDispatch
{
public:
    explicit CStandInObject(DWORD nThread) : m_nThread(nThread) {}
    virtual ~CStandInObject() {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_IDispatch)
        {
            *ppv = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_nRefs); }
    STDMETHODIMP_(ULONG) Release() override
    {
        LONG n = InterlockedDecrement(&m_nRefs);
        if (n == 0)
            delete this;
        return n;
    }
    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override
    {
        *pctinfo = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        if (GetCurrentThreadId() != m_nThread)
            return RPC_E_WRONG_THREAD;
        HRESULT hr = S_OK;
        for (UINT i = 0; i < count; ++i)
        {
            ids[i] = DISPID_UNKNOWN;
            for (const auto& [name, id] : Names())
                if (_wcsicmp(name, names[i]) == 0)
                    ids[i] = id;
            if (ids[i] == DISPID_UNKNOWN)
                hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* info, UINT*) override
    {
        if (GetCurrentThreadId() != m_nThread)
            return RPC_E_WRONG_THREAD;
        // Positional arguments come last first; a put's value is the named one.
        std::vector<const VARIANT*> args;
        const VARIANT* value = nullptr;
        UINT positional = params ? params->cArgs - params->cNamedArgs : 0;
        for (UINT i = 0; params && i < params->cNamedArgs; ++i)
            if (params->rgdispidNamedArgs[i] == DISPID_PROPERTYPUT)
                value = Deref(&params->rgvarg[i]);
        for (UINT i = 0; i < positional; ++i)
            args.push_back(Deref(&params->rgvarg[params->cArgs - 1 - i]));
        if (result)
            VariantInit(result);
        try
        {
            COleVariant out;
            if (!Call(id, flags, args, value, out))
                return DISP_E_MEMBERNOTFOUND;
            if (result)
                *result = out.Detach();
            return S_OK;
        }
        catch (const CStandInError& e)
        {
            return Report(info, e.text);
        }
        catch (CException* e)
        {
            wchar_t text[512] = {};
            e->GetErrorMessage(text, 512);
            e->Delete();
            return Report(info, text);
        }
    }

protected:
    static const VARIANT* Arg(const std::vector<const VARIANT*>& args, size_t i)
    {
        return i < args.size() && !IsOmitted(args[i]) ? args[i] : nullptr;
    }
    static COleVariant Object(CStandInObject* p)
    {
        COleVariant v;
        v.vt = VT_DISPATCH;
        v.pdispVal = p; // the new object's one reference goes to the caller
        return v;
    }
    // The member by DISPID; false when there is no such member.
    virtual bool Call(DISPID id, WORD flags, const std::vector<const VARIANT*>& args,
                      const VARIANT* value, COleVariant& result) = 0;
    virtual std::vector<std::pair<LPCWSTR, DISPID>> Names() const = 0;

    DWORD m_nThread;

private:
    static HRESULT Report(EXCEPINFO* info, const CString& text)
    {
        if (info)
        {
            *info = EXCEPINFO();
            info->bstrSource = SysAllocString(L"Quenlark workbook writer");
            info->bstrDescription = SysAllocString(text);
            info->scode = E_FAIL;
        }
        return DISP_E_EXCEPTION;
    }
    LONG m_nRefs = 1;
};

// The cells a range covers: 0-based columns and 1-based rows, both ends included.
struct CCellBlock
{
    int nColumn1, nRow1, nColumn2, nRow2;
};

// Each cell of the block in row order, made when missing; bValues when values go in, which
// finishes the rows above the block.
template <class F>
void ChangeEach(CBookState& state, CXlsxBook::CSheet* pSheet, const CCellBlock& block, bool bValues,
                F change)
{
    state.bSaved = false;
    state.book.BeginChange(pSheet, block.nRow1, bValues);
    for (int row = block.nRow1; row <= block.nRow2; ++row)
        for (int column = block.nColumn1; column <= block.nColumn2; ++column)
            change(state.book.RangeCell(pSheet, column, row));
}

// Font and Interior of a range.
class CCellPart : public CStandInObject
{
public:
    CCellPart(DWORD nThread, std::shared_ptr<CBookState> book, CXlsxBook::CSheet* pSheet,
              const CCellBlock& block, bool bFont)
        : CStandInObject(nThread), m_book(book), m_pSheet(pSheet), m_block(block), m_bFont(bFont)
    {}

protected:
    bool Call(DISPID id, WORD flags, const std::vector<const VARIANT*>&, const VARIANT* value,
              COleVariant&) override
    {
        if (!(flags & DISPATCH_PROPERTYPUT) || !value)
            return false;
        if (m_bFont && id == XLDISP_BOLD)
        {
            bool bBold = ToBool(value);
            ChangeEach(*m_book, m_pSheet, m_block, false,
                       [&](CXlsxBook::CCell& cell) { cell.style.bBold = bBold; });
        }
        else if (!m_bFont && id == XLDISP_COLORINDEX)
        {
            long index = ToLong(value);
            ChangeEach(*m_book, m_pSheet, m_block, false, [&](CXlsxBook::CCell& cell) {
                cell.style.nColorIndex = index > 0 ? index : 0; // xlNone and automatic clear it
            });
        }
        else
            return false;
        return true;
    }
    std::vector<std::pair<LPCWSTR, DISPID>> Names() const override
    {
        if (m_bFont)
            return {{L"Bold", XLDISP_BOLD}};
        return {{L"ColorIndex", XLDISP_COLORINDEX}};
    }

private:
    std::shared_ptr<CBookState> m_book;
    CXlsxBook::CSheet* m_pSheet;
    CCellBlock m_block;
    bool m_bFont;
};

// Sets a cell from one value: empty clears it, a text stays text, numbers and dates are numbers.
void SetCellValue(CXlsxBook::CCell& cell, const VARIANT* value)
{
    value = Deref(value);
    switch (value->vt)
    {
    case VT_EMPTY:
    case VT_NULL: cell.kind = CXlsxBook::CCell::empty; return;
    case VT_BOOL:
        cell.kind = CXlsxBook::CCell::boolean;
        cell.dNumber = value->boolVal != VARIANT_FALSE;
        return;
    case VT_BSTR:
        cell.kind = CXlsxBook::CCell::text;
        // Into the cell's own buffer, which a written row leaves for the next.
        cell.strText.SetString(value->bstrVal, static_cast<int>(SysStringLen(value->bstrVal)));
        return;
    // The common number types need no conversion.
    case VT_I4: cell.dNumber = value->lVal; break;
    case VT_I2: cell.dNumber = value->iVal; break;
    case VT_R8: cell.dNumber = value->dblVal; break;
    default: {
        VARIANT d;
        VariantInit(&d);
        if (FAILED(VariantChangeType(&d, const_cast<VARIANT*>(value), 0, VT_R8)))
            Fail(L"This kind of value cannot go into a cell.");
        cell.dNumber = d.dblVal;
    }
    }
    cell.kind = CXlsxBook::CCell::number;
}

bool IsEmptyValue(const VARIANT* value)
{
    value = Deref(value);
    return value->vt == VT_EMPTY || value->vt == VT_NULL;
}

class CRange : public CStandInObject
{
public:
    CRange(DWORD nThread, std::shared_ptr<CBookState> book, CXlsxBook::CSheet* pSheet,
           const CCellBlock& block)
        : CStandInObject(nThread), m_book(book), m_pSheet(pSheet), m_block(block)
    {}

protected:
    bool Call(DISPID id, WORD flags, const std::vector<const VARIANT*>&, const VARIANT* value,
              COleVariant& result) override
    {
        switch (id)
        {
        case XLDISP_FONT:
        case XLDISP_INTERIOR:
            result = Object(new CCellPart(m_nThread, m_book, m_pSheet, m_block, id == XLDISP_FONT));
            return true;
        case XLDISP_NUMBERFORMAT:
            if (!(flags & DISPATCH_PROPERTYPUT) || !value)
                return false;
            {
                bool bText = ToText(value) == L"@";
                ChangeEach(*m_book, m_pSheet, m_block, false,
                           [&](CXlsxBook::CCell& cell) { cell.style.bText = bText; });
            }
            return true;
        case XLDISP_VALUE:
            if (!(flags & DISPATCH_PROPERTYPUT) || !value)
                return false;
            if (value->vt & VT_ARRAY)
                SetValues(value);
            else
                ChangeEach(*m_book, m_pSheet, m_block, true,
                           [&](CXlsxBook::CCell& cell) { SetCellValue(cell, value); });
            return true;
        }
        return false;
    }
    std::vector<std::pair<LPCWSTR, DISPID>> Names() const override
    {
        return {{L"Font", XLDISP_FONT},
                {L"Interior", XLDISP_INTERIOR},
                {L"NumberFormat", XLDISP_NUMBERFORMAT},
                {L"Value", XLDISP_VALUE}};
    }

private:
    // An array of values, rows by columns (one dimension: a single row), goes into the range
    // from its top left cell; as in the application, cells of the range beyond the array's
    // bounds are left alone here, and the array must not reach beyond the range.
    void SetValues(const VARIANT* value)
    {
        if ((value->vt & ~VT_BYREF) != (VT_ARRAY | VT_VARIANT))
            Fail(L"Only an array of variants can fill a range.");
        SAFEARRAY* psa = (value->vt & VT_BYREF) ? *value->pparray : value->parray;
        UINT nDims = psa ? SafeArrayGetDim(psa) : 0;
        if (nDims != 1 && nDims != 2)
            Fail(L"The array must have one or two dimensions.");
        LONG rowLow = 0, rowHigh = 0, colLow = 0, colHigh = 0;
        if (nDims == 2)
        {
            SafeArrayGetLBound(psa, 1, &rowLow);
            SafeArrayGetUBound(psa, 1, &rowHigh);
            SafeArrayGetLBound(psa, 2, &colLow);
            SafeArrayGetUBound(psa, 2, &colHigh);
        }
        else
        {
            SafeArrayGetLBound(psa, 1, &colLow);
            SafeArrayGetUBound(psa, 1, &colHigh);
        }
        LONG nRows = rowHigh - rowLow + 1, nColumns = colHigh - colLow + 1;
        if (nRows <= 0 || nColumns <= 0)
            return;
        if (nRows > m_block.nRow2 - m_block.nRow1 + 1 ||
            nColumns > m_block.nColumn2 - m_block.nColumn1 + 1)
            Fail(L"The array is larger than the range.");
        VARIANT* data = nullptr;
        if (FAILED(SafeArrayAccessData(psa, reinterpret_cast<void**>(&data))))
            Fail(L"The array cannot be read.");
        CBookState& state = *m_book;
        try
        {
            state.bSaved = false;
            state.book.BeginChange(m_pSheet, m_block.nRow1, true);
            for (LONG r = 0; r < nRows; ++r)
                for (LONG c = 0; c < nColumns; ++c)
                {
                    // Safe arrays keep the first index running fastest.
                    const VARIANT* v = &data[r + c * nRows];
                    int column = m_block.nColumn1 + c, row = m_block.nRow1 + r;
                    // An empty value on a cell never set leaves it as it is: not set.
                    if (IsEmptyValue(v))
                    {
                        if (CXlsxBook::CCell* pCell = state.book.FindCell(m_pSheet, column, row))
                            SetCellValue(*pCell, v);
                        continue;
                    }
                    SetCellValue(state.book.RangeCell(m_pSheet, column, row), v);
                }
        }
        catch (...)
        {
            SafeArrayUnaccessData(psa);
            throw;
        }
        SafeArrayUnaccessData(psa);
    }

    std::shared_ptr<CBookState> m_book;
    CXlsxBook::CSheet* m_pSheet;
    CCellBlock m_block;
};

class CWorksheet : public CStandInObject
{
public:
    CWorksheet(DWORD nThread, std::shared_ptr<CBookState> book, CXlsxBook::CSheet* pSheet)
        : CStandInObject(nThread), m_book(book), m_pSheet(pSheet)
    {}
    CXlsxBook::CSheet* Sheet() const { return m_pSheet; }

protected:
    bool Call(DISPID id, WORD flags, const std::vector<const VARIANT*>& args, const VARIANT* value,
              COleVariant& result) override
    {
        if (id == XLDISP_NAME)
        {
            if (flags & DISPATCH_PROPERTYPUT)
            {
                CString name = value ? ToText(value) : CString();
                CString old = m_pSheet->m_strName;
                old.MakeUpper();
                m_book->names.erase(old);
                // The workbook's own rules: refused, not repaired.
                CString key = name;
                key.MakeUpper();
                if (name.IsEmpty() || name.GetLength() > 31 || name.FindOneOf(L":\\/?*[]") >= 0 ||
                    m_book->names.count(key))
                {
                    m_book->names.insert(old);
                    Fail(L"That name is not allowed for a sheet.");
                }
                m_book->names.insert(key);
                m_pSheet->m_strName = name;
                m_book->bSaved = false;
            }
            else
                result = COleVariant(m_pSheet->m_strName);
            return true;
        }
        if (id == XLDISP_RANGE)
        {
            const VARIANT* first = Arg(args, 0);
            const VARIANT* second = Arg(args, 1);
            // Range("B2") is one cell, Range("B2", "D9") the block between the two corners.
            int column = 0, row = 0;
            if (!first || !ParseExcelCellName(ToText(first), column, row))
                Fail(L"The range is not a cell name.");
            int column2 = column, row2 = row;
            if (second && !ParseExcelCellName(ToText(second), column2, row2))
                Fail(L"The range's second corner is not a cell name.");
            CCellBlock block{std::min(column, column2), std::min(row, row2),
                             std::max(column, column2), std::max(row, row2)};
            result = Object(new CRange(m_nThread, m_book, m_pSheet, block));
            return true;
        }
        return false;
    }
    std::vector<std::pair<LPCWSTR, DISPID>> Names() const override
    {
        return {{L"Name", XLDISP_NAME}, {L"Range", XLDISP_RANGE}};
    }

private:
    std::shared_ptr<CBookState> m_book;
    CXlsxBook::CSheet* m_pSheet;
};

class CSheets : public CStandInObject
{
public:
    CSheets(DWORD nThread, std::shared_ptr<CBookState> book) : CStandInObject(nThread), m_book(book)
    {}

protected:
    bool Call(DISPID id, WORD, const std::vector<const VARIANT*>& args, const VARIANT*,
              COleVariant& result) override
    {
        CXlsxBook& book = m_book->book;
        switch (id)
        {
        case XLDISP_COUNT:
            result = COleVariant(static_cast<long>(book.GetSheetCount()));
            return true;
        case XLDISP_ITEM: {
            const VARIANT* index = Arg(args, 0);
            if (!index)
                Fail(L"The sheet index is missing.");
            long n = 0;
            if (index->vt == VT_BSTR)
            {
                CString name = ToText(index);
                for (int i = 0; i < book.GetSheetCount(); ++i)
                    if (book.GetSheet(i)->m_strName.CompareNoCase(name) == 0)
                        n = i + 1;
            }
            else
                n = ToLong(index);
            if (n < 1 || n > book.GetSheetCount())
                Fail(L"There is no such sheet.");
            result = Object(new CWorksheet(m_nThread, m_book, book.GetSheet(n - 1)));
            return true;
        }
        case XLDISP_ADD: {
            // Before, After, Count, Type: a sheet object as Before or After places the new ones.
            int position = 0;
            if (const VARIANT* before = Arg(args, 0))
                position = SheetIndex(before);
            else if (const VARIANT* after = Arg(args, 1))
                position = SheetIndex(after) + 1;
            long count = Arg(args, 2) ? ToLong(Arg(args, 2)) : 1;
            if (count < 1)
                Fail(L"The count must be at least 1.");
            CXlsxBook::CSheet* pLast = nullptr;
            m_book->bSaved = false;
            for (long i = 0; i < count; ++i)
            {
                pLast = book.InsertSheet(position + i);
                CString key = pLast->m_strName;
                key.MakeUpper();
                m_book->names.insert(key);
            }
            result = Object(new CWorksheet(m_nThread, m_book, pLast));
            return true;
        }
        }
        return false;
    }
    std::vector<std::pair<LPCWSTR, DISPID>> Names() const override
    {
        return {{L"Count", XLDISP_COUNT}, {L"Item", XLDISP_ITEM}, {L"Add", XLDISP_ADD}};
    }

private:
    int SheetIndex(const VARIANT* v)
    {
        if (v->vt != VT_DISPATCH || !v->pdispVal)
            Fail(L"A sheet was expected.");
        // Only our own sheets reach here: the workbook hands out no other objects.
        auto* pSheet = static_cast<CWorksheet*>(v->pdispVal);
        int index = m_book->book.IndexOf(pSheet->Sheet());
        if (index < 0)
            Fail(L"The sheet is not in this workbook.");
        return index;
    }

    std::shared_ptr<CBookState> m_book;
};

class CWorkbook : public CStandInObject
{
public:
    CWorkbook(DWORD nThread, std::shared_ptr<CBookState> book)
        : CStandInObject(nThread), m_book(book)
    {}

protected:
    bool Call(DISPID id, WORD, const std::vector<const VARIANT*>& args, const VARIANT*,
              COleVariant& result) override
    {
        switch (id)
        {
        case XLDISP_WORKSHEETS: result = Object(new CSheets(m_nThread, m_book)); return true;
        case XLDISP_SAVEAS: {
            const VARIANT* name = Arg(args, 0);
            if (!name)
                Fail(L"The file name is missing.");
            // Only the one format the stand-in writes: the workbook (51).
            if (const VARIANT* format = Arg(args, 1))
                if (ToLong(format) != 51)
                    Fail(L"Only the .xlsx workbook format can be written.");
            if (m_book->bClosed)
                Fail(L"The workbook is closed.");
            CString file = ToText(name);
            m_book->book.SaveAs(file);
            m_book->strFile = file;
            m_book->bSaved = true;
            Note(L"SaveAs " + m_book->strName);
            return true;
        }
        case XLDISP_CLOSE: Close(Arg(args, 0)); return true;
        }
        return false;
    }

    // Close (SaveChanges, ...): without the argument an unsaved workbook asks first, unless
    // alerts are off, which drops the changes.
    void Close(const VARIANT* saveChanges)
    {
        if (m_book->bClosed)
            Fail(L"The workbook is closed.");
        std::shared_ptr<CAppState> app = m_book->app.lock();
        bool bSave = saveChanges && ToBool(saveChanges);
        if (!saveChanges && !m_book->bSaved && app && app->bDisplayAlerts)
            AskToSave(*m_book, L"Close");
        if (bSave && !m_book->bSaved)
        {
            if (m_book->strFile.IsEmpty())
                Fail(L"The workbook has no file name yet: save it with SaveAs.");
            m_book->book.SaveAs(m_book->strFile);
            m_book->bSaved = true;
        }
        m_book->bClosed = true;
        if (app)
            std::erase(app->open, m_book);
        Note(L"Close " + m_book->strName + (bSave ? L" saving" : L" without saving"));
    }
    std::vector<std::pair<LPCWSTR, DISPID>> Names() const override
    {
        return {{L"Worksheets", XLDISP_WORKSHEETS},
                {L"Sheets", XLDISP_WORKSHEETS},
                {L"SaveAs", XLDISP_SAVEAS},
                {L"Close", XLDISP_CLOSE}};
    }

private:
    std::shared_ptr<CBookState> m_book;
};

class CWorkbooks : public CStandInObject
{
public:
    CWorkbooks(DWORD nThread, std::shared_ptr<CAppState> app) : CStandInObject(nThread), m_app(app)
    {}

protected:
    bool Call(DISPID id, WORD, const std::vector<const VARIANT*>&, const VARIANT*,
              COleVariant& result) override
    {
        if (id != XLDISP_ADD)
            return false;
        auto state = std::make_shared<CBookState>();
        CXlsxBook::CSheet* pSheet = state->book.InsertSheet(0);
        CString key = pSheet->m_strName;
        key.MakeUpper();
        state->names.insert(key);
        state->strName.Format(L"Book%d", ++m_app->nBooksMade);
        state->app = m_app;
        m_app->open.push_back(state);
        Note(L"Add " + state->strName);
        result = Object(new CWorkbook(m_nThread, state));
        return true;
    }
    std::vector<std::pair<LPCWSTR, DISPID>> Names() const override
    {
        return {{L"Add", XLDISP_ADD}};
    }

private:
    std::shared_ptr<CAppState> m_app;
};

class CApplication : public CStandInObject
{
public:
    using CStandInObject::CStandInObject;

protected:
    bool Call(DISPID id, WORD flags, const std::vector<const VARIANT*>&, const VARIANT* value,
              COleVariant& result) override
    {
        switch (id)
        {
        case XLDISP_WORKBOOKS: result = Object(new CWorkbooks(m_nThread, m_app)); return true;
        case XLDISP_QUIT: Quit(); return true;
        case XLDISP_DISPLAYALERTS:
            if (flags & DISPATCH_PROPERTYPUT)
            {
                m_app->bDisplayAlerts = value && ToBool(value);
                Note(m_app->bDisplayAlerts ? L"DisplayAlerts on" : L"DisplayAlerts off");
            }
            else
                result = COleVariant(m_app->bDisplayAlerts);
            return true;
        }
        return false;
    }

    // Quit asks about every unsaved workbook while alerts are on; with them off the changes
    // are dropped.
    void Quit()
    {
        if (m_app->bDisplayAlerts)
            for (const auto& book : m_app->open)
                if (!book->bSaved)
                    AskToSave(*book, L"Quit");
        for (const auto& book : m_app->open)
            book->bClosed = true;
        m_app->open.clear();
        m_app->bQuit = true;
        Note(L"Quit");
    }
    std::vector<std::pair<LPCWSTR, DISPID>> Names() const override
    {
        return {{L"Workbooks", XLDISP_WORKBOOKS},
                {L"Quit", XLDISP_QUIT},
                {L"DisplayAlerts", XLDISP_DISPLAYALERTS}};
    }

private:
    std::shared_ptr<CAppState> m_app = std::make_shared<CAppState>();
};

} // namespace

IDispatch* CreateXlsxStandInApplication()
{
    return new CApplication(GetCurrentThreadId());
}

std::vector<CString> XlsxStandInJournal()
{
    std::lock_guard<std::mutex> lock(g_journalMutex);
    return g_journal;
}

void ClearXlsxStandInJournal()
{
    std::lock_guard<std::mutex> lock(g_journalMutex);
    g_journal.clear();
}
