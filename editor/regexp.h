// A small regular-expression engine for the editor's colour rules. Matching is anchored at the
// start of the text, greedy and without backtracking. Everything after a "\z" mark is trailing
// context: it must match but is not part of the reported length.
//
// Syntax: literal runs ("." any character, "\s" space or tab, "\x" the character x),
// sets "[...]" ("^" negates, "\s", "\w", ranges "a-z"; membership by the low 8 bits),
// groups "(...)" ("(?!...)" negative look-ahead), alternatives "(a)|(b)", quantifiers after "]"
// or ")" only: "*", "+", "?", "{n}", "{n,}", "{n,m}", and the end-of-token mark "\z".
#pragma once

#include <windows.h>

#include <cstdint>
#include <utility>
#include <vector>

class CRegExp;

class CRegExpElement
{
public:
    explicit CRegExpElement(CRegExp* owner) : m_owner(owner) {}
    virtual ~CRegExpElement();

    // Reported length, or -1 for no match; consumed receives the characters used.
    virtual int64_t Match(const WCHAR* text, uint64_t length, uint64_t* consumed) = 0;
    // Bounds of the characters the element can use; false when they cannot be given.
    virtual bool GetLength(uint64_t* min, uint64_t* max) = 0;

    // Matches this element and the rest of its chain; reports and consumes as Match does.
    // hitEndOfToken (optional) tells whether an end-of-token mark matched on the way.
    int64_t MatchChain(const WCHAR* text, uint64_t length, uint64_t* consumed,
                       bool* hitEndOfToken = nullptr);
    // The first element after the run of alternatives this element belongs to.
    CRegExpElement* SkipAlternatives();
    // Length bounds of this element and the rest of its chain.
    bool GetChainLength(uint64_t* min, uint64_t* max);

    CRegExp* m_owner;
    CRegExpElement* m_next = nullptr; // owned: destroying an element destroys the rest
    BYTE m_endOfToken = 0;            // set when an end-of-token mark matched here
    BYTE m_alternative = 0;           // the next element is an alternative to this one
};

// A literal run.
class CRegExpString : public CRegExpElement
{
public:
    CRegExpString(CRegExp* owner, const WCHAR* pattern, uint64_t length);
    ~CRegExpString() override;
    int64_t Match(const WCHAR* text, uint64_t length, uint64_t* consumed) override;
    bool GetLength(uint64_t* min, uint64_t* max) override;

    WCHAR* m_pattern;
    uint64_t m_length;
};

// One character out of a set.
class CRegExpEnum : public CRegExpElement
{
public:
    explicit CRegExpEnum(CRegExp* owner);
    int64_t Match(const WCHAR* text, uint64_t length, uint64_t* consumed) override;
    bool GetLength(uint64_t* min, uint64_t* max) override;
    // Fills the map from the set text between the brackets.
    void Parse(const WCHAR* set, uint64_t length);
    void Add(WCHAR ch, bool negated);
    bool Contains(WCHAR ch) const { return (m_map[(ch & 0xFF) >> 5] >> (ch & 31)) & 1; }

    UINT32 m_map[8] = {};
};

// A group, capturing what its inner chain consumed, or a negative look-ahead.
class CRegExpSubRegExp : public CRegExpElement
{
public:
    explicit CRegExpSubRegExp(CRegExp* owner) : CRegExpElement(owner) {}
    ~CRegExpSubRegExp() override;
    int64_t Match(const WCHAR* text, uint64_t length, uint64_t* consumed) override;
    bool GetLength(uint64_t* min, uint64_t* max) override;

    CRegExpElement* m_inner = nullptr; // owned
    UINT32 m_negative = 0;
    UINT32 m_capture = 0;
};

// A set or group repeated, greedily.
class CRegExpRepeat : public CRegExpElement
{
public:
    CRegExpRepeat(CRegExp* owner, CRegExpElement* inner, UINT32 min, UINT32 max)
        : CRegExpElement(owner), m_inner(inner), m_min(min), m_max(max)
    {}
    ~CRegExpRepeat() override;
    int64_t Match(const WCHAR* text, uint64_t length, uint64_t* consumed) override;
    bool GetLength(uint64_t* min, uint64_t* max) override;

    static const UINT32 kUnlimited = 0xFFFFFFFF;
    CRegExpElement* m_inner; // owned
    UINT32 m_min;
    UINT32 m_max;
};

// The end-of-token mark "\z".
class CRegExpEOT : public CRegExpElement
{
public:
    explicit CRegExpEOT(CRegExp* owner) : CRegExpElement(owner) {}
    int64_t Match(const WCHAR* text, uint64_t length, uint64_t* consumed) override;
    bool GetLength(uint64_t* min, uint64_t* max) override;
};

class CRegExp
{
public:
    virtual ~CRegExp();

    // The compiled pattern, or null for an empty pattern or an error in its first element.
    // The pattern ends at NUL, CR or LF.
    static CRegExp* Compile(const WCHAR* pattern);
    // Reported length at the start of text, or -1 (no match, or a null expression).
    static int64_t Match(CRegExp* expression, const WCHAR* text, uint64_t length,
                         uint64_t* consumed);
    static void Delete(CRegExp* expression);

    void ResetCaptures();
    void SetCapture(size_t index, const WCHAR* start, uint64_t length);
    size_t AddCapture();
    size_t GetCaptureCount() const { return m_captures.size(); }
    std::pair<const WCHAR*, uint64_t> GetCapture(size_t index) const { return m_captures[index]; }

    // Parses one element at pattern (and, recursively, the rest) and appends it after previous
    // (or makes it the chain's first when previous is null). Returns the element, or null for
    // the end of the pattern or a syntax error (*error set).
    static CRegExpElement* Parse(CRegExp* owner, CRegExpElement* previous, const WCHAR* pattern,
                                 bool* error);

    CRegExpElement* m_first = nullptr; // owned
    std::vector<std::pair<const WCHAR*, uint64_t>> m_captures;
};

// The pattern ends at NUL, CR or LF.
inline bool IsRegExpEnd(WCHAR ch)
{
    return ch == 0 || ch == L'\r' || ch == L'\n';
}
