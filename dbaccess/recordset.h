// CRRecordset: one ODBC statement on a CRDatabase and its result, read through Zelt::ICursor.
// Statement lifecycle and parameters (recordset_statement.cpp), column description and binding
// (recordset_columns.cpp), moves (recordset_position.cpp), field tests and typed getters
// (recordset_fields.cpp), values as text and the table name (recordset_text.cpp).
#pragma once

#include "dbaccess/cursor.h"
#include "dbaccess/database.h"
#include "dbaccess/statement_stop.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

// Option bits of Open and Prepare.
enum : UINT
{
    RS_READONLY = 1,        // read-only concurrency
    RS_STMT_OPTION16 = 2,   // accepted, without effect (see AllocStmt)
    RS_UNBOUND = 4,         // values read with SQLGetData, forward only, long values whole
    RS_NUMERIC_AS_TEXT = 8, // NUMERIC, DECIMAL, FLOAT, REAL, DOUBLE held as text
    // A read of one table whose columns all have a declared type (a table window, a table's
    // export): on a SQLite connection stepping through results it may stream forward-only, and
    // the results already streaming are not read to their end first (see CRDatabase).
    RS_DECLARED_COLUMNS = 16,
    // The user's own query, of any cursor type: on a SQLite connection stepping through results
    // it streams forward-only where the driver types it as it would read whole (see
    // stepped_query.h); it is a statement of the user's all the same (the results streaming are
    // read to their end first). On PostgreSQL it is read as with RS_SERVER_TEXTS. Elsewhere,
    // and for every other text, without effect.
    RS_QUERY_MAY_STREAM = 32,
    // PostgreSQL: a query (ServerTextQueryStart) reads its dates, timestamps and timestamptz
    // values from the server's text (see server_texts.h). Without effect on other products and
    // texts.
    RS_SERVER_TEXTS = 64,
    // A statement of a window's own read in the reads' transaction (describing, DECLARE, FETCH:
    // see held_cursor.h): it runs in that transaction instead of ending it first.
    RS_WINDOW_READ = 128,
};

// Cursor types of Open and Prepare.
enum : UINT
{
    RS_KEYSET = 0,
    RS_STATIC = 1,
    RS_FORWARD_ONLY = 2,
    RS_DYNAMIC = 3,
};

// The buffer of one result column.
struct CSQLColumn
{
    CSQLColumn() { value.u64 = 0; }
    ~CSQLColumn();
    CSQLColumn(const CSQLColumn&) = delete;
    CSQLColumn& operator=(const CSQLColumn&) = delete;

    union
    {
        UINT64 u64;
        INT64 i64;
        UINT32 u32;
        INT32 i32;
        USHORT u16;
        SHORT i16;
        BYTE u8;
        SCHAR i8;
        float f;
        double d;
        void* p;           // text, timestamp, offset timestamp and GUID buffers
        CByteArray* bytes; // binary
    } value;
    int nCType = SQL_C_DEFAULT;
    SQLLEN nIndicator = 0;
    SQLLEN nBufferSize = 0; // bytes of value the buffer holds (a text's terminator not counted)
    bool bCapped = false;   // the declared size was cut to the 65,536 limit

    // Unbound mode: the current row's value has been read into this record; bWhole: a text read
    // whole into the recordset's own string (or binary data into value.bytes) rather than held
    // in the column's element of a block.
    bool bLoaded = false;
    bool bWhole = false;
    // An integer, double or timestamp column bound as the driver's text of it (cheaper for
    // drivers that hold every value as text), turned into the value as the row is loaded (or,
    // read ahead, as it is copied); a text of another form is converted by the driver.
    // pValueText: the current row's text the value was made from, while it is held (shown as it
    // is where that is the value's own text); null when the driver converted the value.
    bool bFromText = false;
    const char* pValueText = nullptr;
    SQLLEN nValueTextLength = 0;
    // The current row's timestamp made from text (bound arrays hold the text).
    TIMESTAMP_STRUCT textTimestamp{};
    // Such a column's current value is of another kind than the column's type and is held as
    // the text it is stored as (see ICursor::IsFieldHeldAsText): heldText, whose length
    // nIndicator then is.
    bool bHeldAsText = false;
    std::string heldText;

    // Text of a column that reads as wide text (SQL_C_WCHAR) but comes from the driver as UTF-8:
    // the buffer holds nBufferSize bytes, enough for nCharCapacity UTF-16 units.
    bool bUtf8 = false;
    SQLLEN nCharCapacity = 0;

    // Block fetches: the column's array of values and indicators, one element of nElementSize
    // bytes per row of the block. value and nIndicator then hold the current row's: fixed-size
    // values and binary data are copied, the other buffers point into the array.
    std::unique_ptr<BYTE[]> block;
    std::unique_ptr<SQLLEN[]> blockIndicators;
    SQLLEN nElementSize = 0;
    // A long column may be bound with a short element; a value longer than that is read whole
    // with SQLGetData into a buffer of the full length the column would be bound with.
    SQLSMALLINT nBindType = 0;
    SQLLEN nFullLength = 0;
    std::unique_ptr<BYTE[]> whole;

    void FreeBuffer();

    // Bytes of a buffer the terminator of text of this C type takes.
    static SQLLEN TerminatorBytes(SQLSMALLINT cType)
    {
        return cType == SQL_C_WCHAR ? 2 : cType == SQL_C_CHAR ? 1 : 0;
    }
    // Text or binary: values of any length.
    bool IsVariable() const
    {
        return nCType == SQL_C_CHAR || nCType == SQL_C_WCHAR || nCType == SQL_C_BINARY;
    }
    // In a block: the element holds less than the value the indicator tells of.
    bool IsLongerThanElement(SQLLEN indicator) const
    {
        return IsVariable() &&
               (indicator == SQL_NO_TOTAL || indicator > nElementSize - TerminatorBytes(nBindType));
    }
};

struct CReadAheadBatch;

class CRRecordset : public Zelt::ICursor
{
public:
    // What a parameter record holds; there is no kind 6.
    enum class ParamKind : UINT
    {
        None = 0,
        Text = 1,            // owned wide text
        Binary = 2,          // owned bytes
        Timestamp = 3,       // owned TIMESTAMP_STRUCT
        TimestampOffset = 4, // owned SQL_SS_TIMESTAMPOFFSET_STRUCT
        Long = 5,
        Short = 7,
        TinyInt = 8,
        Float = 9,
        Double = 10,
        Bit = 11,
        Guid = 12,     // owned GUID
        Utf8Text = 13, // owned 8-bit text in UTF-8 (SQL_C_CHAR)
    };

    // One statement parameter.
    struct CParam
    {
        CParam() { value.i64 = 0; }
        ~CParam();
        CParam(const CParam&) = delete;
        CParam& operator=(const CParam&) = delete;

        ParamKind nKind = ParamKind::None;
        union
        {
            INT64 i64;
            INT32 l;
            SHORT s;
            SCHAR t;
            float f;
            double d;
            BYTE bit;
            void* p; // owned buffer of the text, binary, timestamp and GUID kinds
        } value;
        UINT nParamNumber = 0;
        UINT nInOutType = SQL_PARAM_INPUT;
        UINT nCType = 0;
        UINT nSQLType = 0;
        UINT nColumnSize = 0;
        UINT nDecimalDigits = 0;
        UINT nBufferLength = 0;
        SQLLEN nIndicator = 0;

        static constexpr bool OwnsBuffer(ParamKind kind)
        {
            return kind == ParamKind::Text || kind == ParamKind::Binary ||
                   kind == ParamKind::Timestamp || kind == ParamKind::TimestampOffset ||
                   kind == ParamKind::Guid || kind == ParamKind::Utf8Text;
        }
        bool HasOwnedBuffer() const { return OwnsBuffer(nKind); }
        void* ValuePointer();
    };

    explicit CRRecordset(CRDatabase* pDatabase);
    ~CRRecordset() override;

    // Statement lifecycle.
    bool Open(LPCWSTR pszSQL, UINT nCursorType = RS_STATIC, UINT nOptions = 0);
    bool ExecuteDirect(LPCWSTR pszSQL);
    // A statement opened in three steps, so that the driver may run it on another thread while
    // the connection's thread reads on: BeginBeside (on the connection's thread) makes the
    // statement and follows the text's start, without holding the connection's reads ahead or
    // reading its streaming results to their end, for it runs beside them; RunDirect (on any
    // thread, once) only calls the driver, and hands over a refusal of the text before it was
    // sent in pRefused instead of throwing it; FinishBeside (on the connection's thread) reads
    // the outcome as Open does, the refusal thrown. Nothing else may reach the connection between
    // the steps but what runs beside its reads.
    bool BeginBeside(LPCWSTR pszSQL, UINT nCursorType, UINT nOptions);
    SQLRETURN RunDirect(Zelt::CRDBException*& pRefused);
    bool FinishBeside(SQLRETURN rc, Zelt::CRDBException* pRefused);
    // Closes the result as Close does but hands its statement over instead of freeing it: the
    // caller frees it (SQLFreeStmt SQL_DROP), on any thread, before the connection closes.
    // Freeing a large result takes the driver a while. Only for a result that ends nothing on
    // the server when it closes (the rows of a FETCH); null when the connection is not the
    // statement's any more.
    SQLHSTMT ReleaseStmt();
    bool Prepare(LPCWSTR pszSQL, UINT nCursorType = RS_STATIC, UINT nOptions = 0);
    bool Execute();
    bool MoreResults();
    bool BindParameter(SQLUSMALLINT nParam, SQLSMALLINT nInOutType, SQLSMALLINT nCType,
                       SQLSMALLINT nSQLType, SQLULEN nColumnSize, SQLSMALLINT nDecimalDigits,
                       SQLPOINTER pValue, SQLLEN nBufferLength, SQLLEN* pIndicator);
    // pszQuery: the text the statement will run, for RS_QUERY_MAY_STREAM. bBesideReads: see
    // BeginBeside.
    bool AllocStmt(LPCWSTR pszQuery = nullptr, bool bBesideReads = false);
    // ExecuteDirect's halves before and after the driver's run (RunDirect); EndDirect throws
    // pRefused (a refusal RunDirect handed over) once the connection has followed it.
    bool BeginDirect(LPCWSTR pszSQL, bool bBesideReads = false);
    bool EndDirect(SQLRETURN rc, Zelt::CRDBException* pRefused = nullptr);
    bool SetQueryTimeout(UINT nSeconds);
    bool GetRowCount(SQLLEN* pCount);
    bool FetchFirst();
    UINT GetStmtCursorType();
    UINT GetCursorAttributes1();
    // Whether the driver reads the result with read-only concurrency (the one it actually uses,
    // which may be lower than the one asked); true without a statement.
    bool IsReadOnly();
    // An updatable concurrency was asked for and the result is read-only all the same: the
    // driver lowered it.
    bool AreUpdatesRefused();
    SQLHSTMT GetStmtHandle() const { return m_hStmt; }
    // From another thread, while Open or Execute runs on a worker: a request made before the
    // statement is sent keeps it from running (the call throws a cancelled statement's error);
    // one made while the driver runs it or reads the first rows is SQLCancel. See CStatementStop
    // for why the caller repeats it. ClearStopRequest before and after such a job.
    void AskToStop() { m_stop.Ask(); }
    // Where a cancel of the statement goes (CRDatabase::CancelHandleFor).
    SQLHSTMT CancelHandle() const
    {
        return m_pDatabase ? m_pDatabase->CancelHandleFor(m_hStmt) : m_hStmt;
    }
    void ClearStopRequest() { m_stop.Clear(); }
    CRDatabase* GetDatabase() const { return m_pDatabase; }
    UINT GetOptions() const { return m_nOptions; }

    // Parameters, bound at Execute. A null text or data pointer gives NULL. A text longer than
    // nMaxLength gets a buffer that holds it whole (the database judges its length).
    void AddTextParameter(UINT nParam, UINT nInOutType, UINT nSQLType, UINT nColumnSize,
                          UINT nDecimalDigits, LPCWSTR pszText, UINT nMaxLength);
    void AddParameter(UINT nParam, UINT nInOutType, UINT nSQLType, UINT nColumnSize,
                      UINT nDecimalDigits, LPCWSTR pszText, UINT nMaxLength)
    {
        AddTextParameter(nParam, nInOutType, nSQLType, nColumnSize, nDecimalDigits, pszText,
                         nMaxLength);
    }
    // The same bound as 8-bit text in UTF-8: MariaDB's driver writes output text bound as
    // SQL_C_WCHAR as 8-bit bytes, so output text for it goes this way. nMaxBytes: the room for
    // an output value (the text given always fits).
    void AddUtf8TextParameter(UINT nParam, UINT nInOutType, UINT nSQLType, UINT nColumnSize,
                              UINT nDecimalDigits, LPCWSTR pszText, UINT nMaxBytes);
    void AddBinaryParameter(UINT nParam, UINT nInOutType, UINT nSQLType, UINT nColumnSize,
                            UINT nDecimalDigits, UINT nBufferSize, UINT nDataLength,
                            const void* pData);
    void AddTimestampParameter(UINT nParam, UINT nInOutType, UINT nSQLType, UINT nColumnSize,
                               UINT nDecimalDigits, const TIMESTAMP_STRUCT* pValue);
    void AddTimestampOffsetParameter(UINT nParam, UINT nInOutType, UINT nSQLType, UINT nColumnSize,
                                     UINT nDecimalDigits,
                                     const SQL_SS_TIMESTAMPOFFSET_STRUCT* pValue);
    void AddLongParameter(UINT nParam, UINT nInOutType, UINT nSQLType, UINT nColumnSize,
                          UINT nDecimalDigits, long nValue, bool bIsNull);
    void AddShortParameter(UINT nParam, UINT nInOutType, UINT nSQLType, UINT nColumnSize,
                           UINT nDecimalDigits, short nValue, bool bIsNull);
    void AddTinyIntParameter(UINT nParam, UINT nInOutType, UINT nSQLType, UINT nColumnSize,
                             UINT nDecimalDigits, signed char nValue, bool bIsNull);
    void AddFloatParameter(UINT nParam, UINT nInOutType, UINT nSQLType, UINT nColumnSize,
                           UINT nDecimalDigits, float fValue, bool bIsNull);
    void AddDoubleParameter(UINT nParam, UINT nInOutType, UINT nSQLType, UINT nColumnSize,
                            UINT nDecimalDigits, double fValue, bool bIsNull);
    void AddBitParameter(UINT nParam, UINT nInOutType, UINT nSQLType, UINT nColumnSize,
                         UINT nDecimalDigits, bool bValue, bool bIsNull);
    void AddGuidParameter(UINT nParam, UINT nInOutType, UINT nSQLType, UINT nColumnSize,
                          UINT nDecimalDigits, const GUID* pValue);
    bool IsParamNull(UINT nParam);
    void GetValueText(UINT nParam, CString& text);
    // Whether the output value of a text or binary parameter was longer than its buffer holds,
    // by the length the driver gave (SQL_NO_TOTAL when it does not know). nKept: what
    // GetValueText gives; nFull: the whole value, -1 when not known. bBytes: both count bytes
    // (narrow text, binary) rather than UTF-16 units (wide text).
    bool IsValueCut(UINT nParam, SQLLEN& nKept, SQLLEN& nFull, bool& bBytes);
    CString GetErrorText(CString& text);

    // Columns.
    // The statement selects some columns as PostgreSQL's text of a date or timestamp (a held
    // cursor's FETCH, see CHeldCursor): such a column is described as its entry here gives (the
    // description of the value it is the text of; an entry of type 0 leaves the column as the
    // driver describes it), and its values are made from the text here. The driver's own
    // conversion of a timestamp costs it several times its text, and it cannot convert that text
    // back. A text of another form (a DateStyle other than ISO) is held as that text. Kept until
    // it is set again.
    void ReadColumnsAsServerText(std::vector<CColumnDesc> descs)
    {
        m_serverTextDescs = std::move(descs);
    }
    // Such texts may come together, as the server's text of one row value of them (a record,
    // which costs the server less to keep than the texts): column nRowColumn holds it, and its
    // fields are the texts of fieldColumns in order (nRowColumn among them; the others selected
    // as NULL). They are taken apart as the rows are fetched, in bound reads only. Kept until it
    // is set again; 0 for none.
    void ReadServerTextsFromRow(UINT nRowColumn, std::vector<UINT> fieldColumns)
    {
        m_nTextRowColumn = nRowColumn;
        m_textRowFields = std::move(fieldColumns);
    }
    // The bytes of an element that holds the text of such a row of n dates or timestamps.
    static SQLLEN TextRowBytes(size_t nFields);
    bool DescribeColumns();
    // The type name the driver gives a result column of a statement ("timestamptz",
    // "timestamp without time zone", "datetime"); false when the driver gives none.
    static bool ReadDriverTypeName(SQLHSTMT hStmt, UINT col, CString& name);
    CSQLColumn* GetColumnBuffer(UINT col);
    // Reads a value with SQLGetData as the C type in chunks of the buffer, handing each chunk's
    // indicator to take while the buffer holds it; false for NULL.
    bool ReadChunks(UINT col, SQLSMALLINT nCType, void* pBuffer, SQLLEN nBufferBytes,
                    const std::function<void(SQLLEN)>& take);
    bool ReadTextA(UINT col, CStringA& text);
    bool ReadTextW(UINT col, CString& text);
    bool ReadBinary(UINT col, CByteArray& bytes);
    // The current row's value of a text or binary column read whole as its C type (binary into
    // *pBytes, 8-bit text into textA, other text into text); the length indicator, SQL_NULL_DATA
    // for NULL.
    SQLLEN ReadWhole(UINT col, int nCType, CByteArray* pBytes, CStringA& textA, CString& text);
    // Rows the driver hands over per fetch (1 unless a forward-only bound result reads blocks).
    SQLULEN GetBlockRows() const { return m_block.nRows; }
    // A forward-only bound result read from here on only forward (a memory cursor's source):
    // once the rows of the current block are read, the next ones are fetched on a thread of
    // their own, a batch ahead (see recordset_read_ahead.h). The values read are those the
    // recordset reads without it. Nothing but for a streaming result, or with bWhole for a result
    // the driver has read whole (its work turning the values into their types then overlaps the
    // reader's).
    void ReadAheadFromNextBlock(bool bWhole = false);
    // Whether rows are read ahead on a thread (until the read ends or is stopped).
    bool ReadsAhead() const { return m_bReadsAhead; }
    // The driver hands the rows over as they are fetched: a forward-only result on a connection
    // that streams, not turned into a whole read (see m_bStaticForForwardOnly).
    bool StreamsRows() const
    {
        return m_hStmt && m_nCursorType == RS_FORWARD_ONLY && !m_bStaticForForwardOnly &&
               m_pDatabase && m_pDatabase->IsStreamingResults();
    }

    // Numbers fetched as text as plain decimals padded to the column's scale (col 0: no scale).
    bool NormalizeNumberText(UINT col, LPCSTR pszText, CStringA& out);
    bool NormalizeNumberText(UINT col, LPCSTR pszText, CString& out);
    bool NormalizeNumberText(UINT col, LPCWSTR pszText, CStringA& out);
    bool NormalizeNumberText(UINT col, LPCWSTR pszText, CString& out);

    // Zelt::ICursor
    void Close() override;
    UINT GetQueryTimeout() override { return m_nQueryTimeout; }
    ULONGLONG GetExecutionTime() override;
    bool IsForwardOnly() override;
    bool IsNumericAsText() override { return (m_nOptions & RS_NUMERIC_AS_TEXT) != 0; }
    short GetColumnCount() override { return m_nColumnCount; }
    int GetColumnCType(UINT col) override;
    short GetColumnSQLType(UINT col) override;
    LONGLONG GetColumnSize(UINT col) override;
    int FindColumn(LPCWSTR name) override;
    const CColumnDesc* GetColumn(UINT col) override;
    int GetRecordCount() override { return m_nRowsFetched; }
    CString GetSQL() override { return m_strSQL; }
    CString GetTableName() override;
    CString GetCursorName() override;
    CString GetColumnName(UINT col) override;
    bool IsDecimalColumn(UINT col) override;
    bool IsColumnNullable(UINT col) override;

    bool MoveFirst() override { return Move(1, SQL_FETCH_FIRST); }
    bool MoveLast() override { return Move(-1, SQL_FETCH_LAST); }
    bool MoveNext() override { return Move(1, SQL_FETCH_NEXT); }
    bool IsNextRowReady() override;
    bool WaitNextRowReady(LONGLONG nUntilMs) override;
    bool MovePrev() override { return Move(-1, SQL_FETCH_PRIOR); }
    bool SetAbsolutePosition(int row) override { return Move(row, SQL_FETCH_ABSOLUTE); }
    bool Refresh() override { return Move(0, SQL_FETCH_RELATIVE); }
    bool Move(int rows, USHORT fetchType) override;
    bool IsBOF() override { return m_bBOF; }
    bool IsEOF() override { return m_bEOF; }
    bool HasResultColumns() override;
    void GetStatus(CStatus& status) override;
    void SetPos(ULONGLONG row, USHORT operation) override;

    bool IsFieldValid(UINT col) override;
    bool IsFieldNull(UINT col) override;
    bool IsFieldNoTotal(UINT col) override;
    bool IsFieldEmpty(UINT col) override;
    bool IsFieldTypeUnknown(UINT col) override;
    bool IsFieldTruncated(UINT col) override;
    bool IsFieldHeldAsText(UINT col) override;
    int GetFieldBlobForm(UINT col) override;

    bool GetFieldGuid(UINT col, GUID& value) override;
    bool GetFieldByte(UINT col, BYTE& value) override;
    bool GetFieldBinary(UINT col, CByteArray& value) override;
    bool GetFieldOleDateTime(UINT col, COleDateTime& value) override;
    bool GetFieldTimestampOffset(UINT col, SQL_SS_TIMESTAMPOFFSET_STRUCT& value) override;
    bool GetFieldTimestamp(UINT col, TIMESTAMP_STRUCT& value) override;
    bool GetFieldTime(UINT col, CTime& value) override;
    bool GetFieldDouble(UINT col, double& value) override;
    bool GetFieldFloat(UINT col, float& value) override;
    bool GetFieldBigInt(UINT col, LONGLONG& value) override;
    bool GetFieldShort(UINT col, short& value) override;
    bool GetFieldLong(UINT col, long& value) override;
    bool GetFieldInt(UINT col, int& value) override;
    bool GetFieldBool(UINT col, bool& value) override;
    bool GetFieldText(UINT col, CString& value) override;
    bool GetFieldTextA(UINT col, CStringA& value) override;
    bool GetFieldAsciiText(UINT col, const char*& text, size_t& length) override;

    // Called after every move.
    virtual void OnMove() {}

protected:
    // The shared body of the typed adders: small values are held in the record, larger ones
    // (timestamps, GUIDs) in a buffer it owns. A NULL keeps the value and sets the indicator.
    template <ParamKind Kind, class T>
    void AddTypedParameter(UINT nCType, UINT nParam, UINT nInOutType, UINT nSQLType,
                           UINT nColumnSize, UINT nDecimalDigits, const T& value, bool bIsNull);

    bool IsUnbound() const { return (m_nOptions & RS_UNBOUND) != 0; }
    void Check(SQLRETURN rc);                       // throws a failing return code
    [[noreturn]] void Fail(const CString& message); // throws a message of our own
    void ResetPosition();
    void ClearColumns();
    void ClearUnboundValues();
    void FreeParams();
    bool RowHasStateInfo(LPCWSTR pszState);
    void UpdatePosition(SQLRETURN rc, USHORT fetchType, int rows);
    // The record of col for a getter: throws when there is none; in unbound mode the current
    // row's value is read into it first.
    CSQLColumn* FieldRecord(UINT col);
    // The same for a typed getter: a value held as text throws.
    CSQLColumn* TypedRecord(UINT col);
    void LoadUnbound(UINT col, CSQLColumn& record);
    bool LengthRule(SQLLEN indicator);
    bool TextOfRecord(UINT col, CSQLColumn& record, CString& value);
    // The scale a number held as text is padded to.
    int TextScale(UINT col);
    // Whether this connection's driver hands 8-bit text over as UTF-8 (asked once per connection).
    bool NarrowTextIsUtf8();
    bool IsUtf8TextTruncated(const CSQLColumn& record) const;
    void Utf8TextOfRecord(const CSQLColumn& record, CString& value) const;
    bool NumberTextAsIs(UINT col, const CSQLColumn& record, const char*& text, size_t& length);
    // One column's binding as described: C type, buffer length, whether the value sits in the
    // record itself, and whether it is text or binary of a length that may need a long buffer.
    struct CBinding
    {
        SQLUSMALLINT col;
        SQLSMALLINT type;
        SQLLEN length;
        bool inRecord;
        bool variable;
    };
    // Binding and block fetches (recordset_block.cpp).
    bool BindColumns(const std::vector<CBinding>& bindings);
    // Unbound mode on a forward-only result: the columns bound to arrays with elements for the
    // usual lengths, longer values read whole when the row is reached. False when the driver
    // cannot read bound columns with SQLGetData (values are then read with SQLGetData alone).
    bool BindUnboundColumns(std::vector<CBinding> bindings);
    void LoadWholeValue(UINT col, CSQLColumn& record);
    void BindArray(const CBinding& binding, SQLLEN elementSize);
    SQLULEN AlignToDriverFetch(SQLULEN rows) const;
    SQLULEN SetRowsetSize(SQLULEN rows);
    void ReadWholeValue(UINT col, CSQLColumn& record);
    BYTE* WholeBuffer(CSQLColumn& record);
    void TakeWholeValue(CSQLColumn& record, SQLLEN indicator);
    bool MoveInBlock(int rows, USHORT fetchType);
    SQLRETURN FetchBlock(int rows, USHORT fetchType);
    void LoadBlockRow();
    void LoadElement(CSQLColumn& record, BYTE* element, SQLLEN indicator);
    // Values bound as text: whether a column's value is read as the driver's text of it (the
    // text costs the driver less, recordset_block.cpp); and in recordset_value_text.cpp whether
    // it may be; the value made from such a text (false for another form); the
    // current row's value of such a column in a block, made from its element or else converted
    // by the driver (position: puts the driver on the row, called at most once).
    bool BindsValueAsText(UINT col);
    bool ReadsZeroDates(UINT col) const;
    bool IsServerTextColumn(UINT col) const;
    bool ServerWritesShortestDoubles();
    bool ReadsValueAsText(UINT col) const;
    bool ValueFromText(UINT col, const char* text, SQLLEN length, void* target,
                       SQLLEN& indicator) const;
    // Whether ValueFromText makes a value of the text; a plain double's is known by its form,
    // without making the value (the read-ahead thread asks it of every row, the reader makes it).
    bool MakesValueFromText(UINT col, const char* text, SQLLEN length) const;
    // The bytes of a value read as text once it is made (what SQLGetData of it fills).
    static SQLLEN TextValueSize(const CSQLColumn& record);
    // Whether the driver's value of a text the recordset could not make a value of (text,
    // length: its indicator, as an element of elementSize bytes holds it) shows it to be of
    // another kind than the column's type, to be held as that text (driverIndicator: the
    // indicator of the driver's converted value).
    bool IsOfAnotherKind(UINT col, const char* text, SQLLEN length, SQLLEN elementSize,
                         SQLLEN driverIndicator) const;
    // Such a value's whole text: as an element of elementSize bytes holds it, or read whole
    // where the element cut it (the driver stands on the row). The record then holds it.
    std::string WholeTextOf(UINT col, const char* text, SQLLEN length, SQLLEN elementSize);
    // The current value's 8-bit text read whole; its length, SQL_NULL_DATA for NULL.
    SQLLEN ReadTextByTerminator(UINT col, std::string& text);
    static void HoldAsText(CSQLColumn& record, std::string text);
    void LoadTextElement(UINT col, CSQLColumn& record, const BYTE* element, SQLLEN indicator,
                         const std::function<void()>& position);
    // Reading ahead (recordset_read_ahead.cpp).
    class CReadAhead;
    void StartReadAhead(SQLULEN rowBytes);
    SQLRETURN NextReadAheadRow();
    void LoadBatchRow(CReadAheadBatch& batch, SQLULEN row);
    void LoadBoundBatchRow(CReadAheadBatch& batch, SQLULEN row);
    // bClosing: the statement ends with the read, and a fetch under way is cancelled rather
    // than waited for.
    void StopReadAhead(bool bClosing = false);
    void PositionInBlock();
    bool InBlocks() const { return m_block.nRows > 1; }
    // PostgreSQL's infinite dates and timestamps (recordset_infinity.cpp): whether a column's
    // values may be the driver's stand-ins for them; a value that may be one made infinite
    // where the server's value is (position: puts the driver on the value's row, called at
    // most once); the current row's values so corrected.
    bool ReadsInfinityStandIns(UINT col) const;
    void CorrectInfinity(UINT col, TIMESTAMP_STRUCT& ts, const std::function<void()>& position);
    void CorrectInfinities();
    bool UsesArrays() const { return m_block.bArrays; }

    std::vector<std::unique_ptr<CParam>> m_params;
    CString m_strSQL;
    SQLHDBC m_hDbc = SQL_NULL_HDBC;
    SQLHSTMT m_hStmt = SQL_NULL_HSTMT;
    UINT m_nStmtSerial = 0; // the connection's serial when m_hStmt was allocated
    CStatementStop m_stop;
    std::vector<std::shared_ptr<CSQLColumn>> m_columns;
    std::vector<CColumnDesc> m_descs;
    short m_nColumnCount = 0;
    LONGLONG m_nStartTime = 0;
    LONGLONG m_nEndTime = 0;
    CRDatabase* m_pDatabase = nullptr;
    int m_nRowsFetched = 0;
    int m_nCurrentRow = -2;
    bool m_bBOF = true;
    bool m_bEOF = true;
    bool m_bCountFinal = true;
    UINT m_nCursorType = RS_STATIC;
    UINT m_nOptions = 0;
    // The statement asked forward-only but the driver was given a static cursor so that it reads
    // and types the result whole (see CRDatabase::StreamsDeclaredColumnsOnly); it is still read
    // and reported as forward-only here.
    bool m_bStaticForForwardOnly = false;
    // The concurrency AllocStmt gave the statement (0: left as the driver has it).
    SQLULEN m_nAskedConcurrency = 0;
    UINT m_nQueryTimeout = 0;
    // Whose driver's dates the result reads, taken when its columns are described: PostgreSQL's
    // stand-ins for values its structures cannot hold (see ReadsInfinityStandIns), MariaDB's and
    // MySQL's zero dates (see ReadsZeroDates), or neither.
    enum class DateDialect
    {
        Plain,
        PostgreSQL,
        MySQL,
    };
    DateDialect m_dateDialect = DateDialect::Plain;
    std::vector<CColumnDesc> m_serverTextDescs; // see ReadColumnsAsServerText
    UINT m_nTextRowColumn = 0;                  // see ReadServerTextsFromRow
    std::vector<UINT> m_textRowFields;
    // The columns of a PostgreSQL query that RunDirect selected as their text (RS_SERVER_TEXTS,
    // see server_texts.h; their descriptions are in m_serverTextDescs); empty when it ran as
    // written.
    std::vector<bool> m_serverTexts;
    // RunDirect's run of such a query: described first, then run as prepared or wrapped.
    bool ReadsAsServerText() const;
    SQLRETURN RunReadingServerTexts();
    // Writes the fields of each fetched row's text row into the elements of their columns.
    void SplitTextRows(SQLULEN nRows);
    // SQLite: what the file holds where a value reads as a blob's text (recordset_blob_form.cpp):
    // the table column each result column reads as stored ("" where none; empty until the first
    // such value), the forms each column holds (-1 until asked, else kBlobFormBlob, kBlobFormText,
    // kBlobFormEither for both, 0 for no answer), and the answers given, by column and text.
    std::vector<CString> m_blobFormColumns;
    std::vector<int> m_blobColumnForms;
    std::map<std::pair<UINT, std::wstring>, int> m_blobForms;

    // Block fetches: rows per fetch, the current block's row count, the current row in it, the
    // rows per fetch asked of the driver last, and the row status the fetch reported.
    struct CBlockState
    {
        SQLULEN nRows = 1;
        SQLULEN nFetched = 0;
        SQLULEN nIndex = 0;
        SQLULEN nDriverRows = 1;
        bool bArrays = false; // columns bound to arrays (of one row when not in blocks)
        std::unique_ptr<SQLUSMALLINT[]> status;
    } m_block;
    // Doubles bound as text come from a server that writes the shortest text of each floating
    // value (the text shown is then made from its digits, up to 17; a decimal column's text is
    // its exact value, not that).
    bool m_bShortestDoubleTexts = false;

    // Unbound mode: text and binary values of the current row, read whole.
    std::vector<CString> m_unboundText;
    std::vector<CStringA> m_unboundTextA;

    // Rows read ahead on a thread of their own (unbound mode with bound arrays, or a bound
    // result from ReadAheadFromNextBlock on), the batch the current row is in, and the next of
    // its values read whole.
    std::shared_ptr<CReadAhead> m_pReadAhead;
    // Set with m_pReadAhead and cleared once its thread has ended: the thread reads this, never
    // the pointer the reader resets.
    bool m_bReadsAhead = false;
    CReadAheadBatch* m_pBatch = nullptr;
    size_t m_nWholeAt = 0;
};
