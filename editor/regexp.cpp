#include "editor/regexp.h"

#include <new>
#include <string>

namespace {

const uint64_t kNoLimit = UINT64_MAX;

uint64_t AddBound(uint64_t a, uint64_t b)
{
    return (a == kNoLimit || b == kNoLimit || a + b < a) ? kNoLimit : a + b;
}

uint64_t MulBound(uint64_t a, uint64_t b)
{
    if (a == 0 || b == 0)
        return 0;
    if (a == kNoLimit || b == kNoLimit || a > kNoLimit / b)
        return kNoLimit;
    return a * b;
}

// Reads an unsigned decimal number; false when none starts at p (blanks before it are skipped).
bool ReadNumber(const WCHAR*& p, UINT32* value)
{
    while (*p == L' ' || *p == L'\t')
        ++p;
    if (*p < L'0' || *p > L'9')
        return false;
    uint64_t v = 0;
    while (*p >= L'0' && *p <= L'9')
    {
        v = v * 10 + (*p - L'0');
        if (v > 0xFFFFFFFFull)
            v = 0xFFFFFFFFull;
        ++p;
    }
    *value = (UINT32)v;
    return true;
}

// A quantifier directly after "]" or ")". p is advanced over it. found = false when none
// stands there (exactly once). False for a malformed "{...}".
bool ParseRegExpQuantifier(const WCHAR*& p, bool* found, UINT32* min, UINT32* max)
{
    *found = true;
    switch (*p)
    {
    case L'*': *min = 0, *max = CRegExpRepeat::kUnlimited, ++p; return true;
    case L'+': *min = 1, *max = CRegExpRepeat::kUnlimited, ++p; return true;
    case L'?': *min = 0, *max = 1, ++p; return true;
    case L'{': {
        const WCHAR* q = p + 1;
        if (!ReadNumber(q, min))
            return false;
        if (*q == L'}')
        {
            *max = *min;
        }
        else if (*q == L',')
        {
            ++q;
            if (*q == L'}')
            {
                *max = CRegExpRepeat::kUnlimited;
            }
            else
            {
                if (*q < L'0' || *q > L'9' || !ReadNumber(q, max) || *q != L'}')
                    return false;
            }
        }
        else
        {
            return false;
        }
        p = q + 1;
        return true;
    }
    default: *found = false; return true;
    }
}

} // namespace

// --- Element chain -------------------------------------------------------------------------

CRegExpElement::~CRegExpElement()
{
    // Destroy the rest of the chain without recursing once per element.
    CRegExpElement* next = m_next;
    m_next = nullptr;
    while (next)
    {
        CRegExpElement* after = next->m_next;
        next->m_next = nullptr;
        delete next;
        next = after;
    }
}

CRegExpElement* CRegExpElement::SkipAlternatives()
{
    CRegExpElement* e = this;
    while (e->m_alternative && e->m_next)
        e = e->m_next;
    return e->m_next;
}

int64_t CRegExpElement::MatchChain(const WCHAR* text, uint64_t length, uint64_t* consumed,
                                   bool* hitEndOfToken)
{
    if (hitEndOfToken)
        *hitEndOfToken = false;
    uint64_t used = 0;
    int64_t reported = 0;
    bool ended = false;
    CRegExpElement* e = this;
    while (e)
    {
        uint64_t c = 0;
        int64_t r = e->Match(text + used, length - used, &c);
        if (r < 0)
        {
            if (e->m_alternative && e->m_next)
            {
                e = e->m_next;
                continue;
            }
            *consumed = 0;
            return -1;
        }
        used += c;
        if (!ended)
            reported += r;
        if (e->m_endOfToken)
            ended = true;
        e = e->SkipAlternatives();
    }
    *consumed = used;
    if (hitEndOfToken)
        *hitEndOfToken = ended;
    return reported;
}

bool CRegExpElement::GetChainLength(uint64_t* min, uint64_t* max)
{
    uint64_t lo = 0, hi = 0;
    CRegExpElement* e = this;
    while (e)
    {
        // A run of alternatives: smallest minimum, largest maximum.
        uint64_t altLo = kNoLimit, altHi = 0;
        for (;;)
        {
            uint64_t a, b;
            if (!e->GetLength(&a, &b))
                return false;
            if (a < altLo)
                altLo = a;
            if (b > altHi)
                altHi = b;
            if (!(e->m_alternative && e->m_next))
                break;
            e = e->m_next;
        }
        lo = AddBound(lo, altLo);
        hi = AddBound(hi, altHi);
        e = e->m_next;
    }
    *min = lo;
    *max = hi;
    return true;
}

// --- Literal run ----------------------------------------------------------------------------

CRegExpString::CRegExpString(CRegExp* owner, const WCHAR* pattern, uint64_t length)
    : CRegExpElement(owner), m_pattern(new WCHAR[length + 1]), m_length(length)
{
    for (uint64_t i = 0; i < length; ++i)
        m_pattern[i] = pattern[i];
    m_pattern[length] = 0;
}

CRegExpString::~CRegExpString()
{
    delete[] m_pattern;
}

int64_t CRegExpString::Match(const WCHAR* text, uint64_t length, uint64_t* consumed)
{
    m_endOfToken = 0;
    *consumed = 0;
    uint64_t t = 0;
    for (uint64_t i = 0; i < m_length; ++i)
    {
        if (t >= length)
            return -1;
        WCHAR p = m_pattern[i];
        WCHAR c = text[t];
        if (p == L'\\' && i + 1 < m_length)
        {
            p = m_pattern[++i];
            if (p == L's')
            {
                if (c != L' ' && c != L'\t')
                    return -1;
            }
            else if (c != p)
            {
                return -1;
            }
        }
        else if (p != L'.' && c != p)
        {
            return -1;
        }
        ++t;
    }
    *consumed = t;
    return (int64_t)t;
}

bool CRegExpString::GetLength(uint64_t* min, uint64_t* max)
{
    uint64_t n = 0;
    for (uint64_t i = 0; i < m_length; ++i, ++n)
    {
        if (m_pattern[i] == L'\\' && i + 1 < m_length)
        {
            if (m_pattern[i + 1] == L'z')
                return false;
            ++i;
        }
    }
    *min = *max = n;
    return true;
}

// --- Set --------------------------------------------------------------------------------------

CRegExpEnum::CRegExpEnum(CRegExp* owner) : CRegExpElement(owner) {}

void CRegExpEnum::Add(WCHAR ch, bool negated)
{
    UINT32 bit = 1u << (ch & 31);
    UINT32& word = m_map[(ch & 0xFF) >> 5];
    if (negated)
        word &= ~bit;
    else
        word |= bit;
}

void CRegExpEnum::Parse(const WCHAR* set, uint64_t length)
{
    bool negated = false;
    uint64_t i = 0;
    if (length > 0 && set[0] == L'^')
    {
        negated = true;
        for (UINT32& w : m_map)
            w = 0xFFFFFFFF;
        m_map[0] &= ~1u; // never NUL
        i = 1;
    }
    for (; i < length; ++i)
    {
        WCHAR c = set[i];
        if (c == L'\\')
        {
            if (i + 1 >= length)
                break; // a trailing backslash is ignored
            WCHAR e = set[++i];
            if (e == L's')
            {
                Add(L' ', negated);
                Add(L'\t', negated);
            }
            else if (e == L'w')
            {
                for (WCHAR x = L'0'; x <= L'9'; ++x)
                    Add(x, negated);
                for (WCHAR x = L'a'; x <= L'z'; ++x)
                    Add(x, negated);
                for (WCHAR x = L'A'; x <= L'Z'; ++x)
                    Add(x, negated);
            }
            else
            {
                Add(e, negated);
            }
        }
        else if (c == L'-' && i != 0 && i + 1 < length)
        {
            // A range from the character after the one before "-" up to the one after it; the
            // latter is listed again by the next step.
            unsigned from = (unsigned)set[i - 1] + 1, to = set[i + 1];
            if (from <= to)
            {
                if (to - from >= 255)
                    to = from + 255;
                for (unsigned x = from; x <= to; ++x)
                    Add((WCHAR)x, negated);
            }
        }
        else
        {
            Add(c, negated);
        }
    }
}

int64_t CRegExpEnum::Match(const WCHAR* text, uint64_t length, uint64_t* consumed)
{
    m_endOfToken = 0;
    *consumed = 0;
    if (length == 0)
        return -1;
    WCHAR c = text[0];
    if (c == 0 || c == L'\r' || c == L'\n' || !Contains(c))
        return -1;
    *consumed = 1;
    return 1;
}

bool CRegExpEnum::GetLength(uint64_t* min, uint64_t* max)
{
    *min = *max = 1;
    return true;
}

// --- Group ------------------------------------------------------------------------------------

CRegExpSubRegExp::~CRegExpSubRegExp()
{
    delete m_inner;
}

int64_t CRegExpSubRegExp::Match(const WCHAR* text, uint64_t length, uint64_t* consumed)
{
    m_endOfToken = 0;
    *consumed = 0;
    uint64_t c = 0;
    bool hit = false;
    int64_t r = m_inner ? m_inner->MatchChain(text, length, &c, &hit) : 0;
    if (!m_negative)
    {
        if (r < 0)
            return -1;
        if (hit)
            m_endOfToken = 1;
        m_owner->SetCapture(m_capture, text, c);
        *consumed = c;
        return r;
    }
    if (r >= 0)
        return -1;
    uint64_t lo, hi;
    if (!m_inner || !m_inner->GetChainLength(&lo, &hi) || hi < 1 || hi >= length)
        return -1;
    m_owner->SetCapture(m_capture, text, hi);
    *consumed = hi;
    return (int64_t)hi;
}

bool CRegExpSubRegExp::GetLength(uint64_t* min, uint64_t* max)
{
    if (!m_inner)
    {
        *min = *max = 0;
        return true;
    }
    return m_inner->GetChainLength(min, max);
}

// --- Repeat -----------------------------------------------------------------------------------

CRegExpRepeat::~CRegExpRepeat()
{
    delete m_inner;
}

int64_t CRegExpRepeat::Match(const WCHAR* text, uint64_t length, uint64_t* consumed)
{
    m_endOfToken = 0;
    *consumed = 0;
    uint64_t used = 0;
    int64_t reported = 0;
    uint64_t count = 0;
    bool stalled = false; // an iteration consumed nothing: every further one would do the same
    for (; count < m_min; ++count)
    {
        if (used >= length)
            return -1;
        uint64_t c = 0;
        int64_t r = m_inner->Match(text + used, length - used, &c);
        if (r < 0)
            return -1;
        used += c;
        reported += r;
        if (m_inner->m_endOfToken)
            m_endOfToken = 1;
        if (c == 0)
        {
            stalled = true;
            break;
        }
    }
    while (!stalled && (m_max == kUnlimited || count < m_max) && used < length)
    {
        uint64_t c = 0;
        int64_t r = m_inner->Match(text + used, length - used, &c);
        if (r < 0 || c == 0)
            break;
        used += c;
        reported += r;
        if (m_inner->m_endOfToken)
            m_endOfToken = 1;
        ++count;
    }
    *consumed = used;
    return reported;
}

bool CRegExpRepeat::GetLength(uint64_t* min, uint64_t* max)
{
    uint64_t lo, hi;
    if (!m_inner->GetLength(&lo, &hi))
        return false;
    *min = MulBound(lo, m_min);
    *max = m_max == kUnlimited ? (hi == 0 ? 0 : kNoLimit) : MulBound(hi, m_max);
    return true;
}

// --- End-of-token mark ------------------------------------------------------------------------

int64_t CRegExpEOT::Match(const WCHAR*, uint64_t, uint64_t* consumed)
{
    m_endOfToken = 1;
    *consumed = 0;
    return 0;
}

bool CRegExpEOT::GetLength(uint64_t* min, uint64_t* max)
{
    *min = *max = 0;
    return true;
}

// --- Expression -------------------------------------------------------------------------------

CRegExp::~CRegExp()
{
    delete m_first;
}

void CRegExp::ResetCaptures()
{
    for (auto& c : m_captures)
        c = {nullptr, 0};
}

void CRegExp::SetCapture(size_t index, const WCHAR* start, uint64_t length)
{
    if (index < m_captures.size())
        m_captures[index] = {start, length};
}

size_t CRegExp::AddCapture()
{
    m_captures.push_back({nullptr, 0});
    return m_captures.size() - 1;
}

namespace {

// Parses the element at p. Returns it (p advanced past it), or null at the end of the pattern
// (error false) or on a syntax error (error true).
CRegExpElement* ParseOne(CRegExp* owner, CRegExpElement* previous, const WCHAR*& p, bool* error)
{
    *error = false;
    if (*p == L'|')
    {
        // "|(" after an element: the group that follows is an alternative to the previous one.
        if (p[1] != L'(' || !previous)
        {
            *error = true;
            return nullptr;
        }
        previous->m_alternative = 1;
        ++p;
    }
    if (IsRegExpEnd(*p))
        return nullptr;

    if (*p == L'[')
    {
        const WCHAR* s = p + 1;
        const WCHAR* q = s;
        while (!IsRegExpEnd(*q) && *q != L']')
        {
            if (*q == L'\\' && !IsRegExpEnd(q[1]))
                ++q;
            ++q;
        }
        if (*q != L']')
        {
            *error = true;
            return nullptr;
        }
        const WCHAR* after = q + 1;
        bool quantified;
        UINT32 min = 1, max = 1;
        if (!ParseRegExpQuantifier(after, &quantified, &min, &max))
        {
            *error = true;
            return nullptr;
        }
        CRegExpEnum* set = new CRegExpEnum(owner);
        set->Parse(s, (uint64_t)(q - s));
        p = after;
        if (!quantified)
            return set;
        return new CRegExpRepeat(owner, set, min, max);
    }

    if (*p == L'(')
    {
        const WCHAR* s = p + 1;
        const WCHAR* q = s;
        int depth = 1;
        while (!IsRegExpEnd(*q))
        {
            if (*q == L'\\')
            {
                if (IsRegExpEnd(q[1]))
                    break;
                q += 2;
                continue;
            }
            if (*q == L'(')
                ++depth;
            else if (*q == L')' && --depth == 0)
                break;
            ++q;
        }
        if (*q != L')')
        {
            *error = true;
            return nullptr;
        }
        const WCHAR* after = q + 1;
        bool quantified;
        UINT32 min = 1, max = 1;
        if (!ParseRegExpQuantifier(after, &quantified, &min, &max))
        {
            *error = true;
            return nullptr;
        }
        CRegExpSubRegExp* group = new CRegExpSubRegExp(owner);
        group->m_capture = (UINT32)owner->AddCapture();
        std::wstring inner(s, q);
        if (inner.size() >= 3 && inner[0] == L'?' && inner[1] == L'!')
        {
            group->m_negative = 1;
            inner.erase(0, 2);
        }
        if (!inner.empty())
        {
            bool innerError = false;
            group->m_inner = CRegExp::Parse(owner, nullptr, inner.c_str(), &innerError);
            if (!group->m_inner)
            {
                delete group;
                *error = true;
                return nullptr;
            }
        }
        p = after;
        if (!quantified)
            return group;
        return new CRegExpRepeat(owner, group, min, max);
    }

    if (p[0] == L'\\' && p[1] == L'z')
    {
        p += 2;
        return new CRegExpEOT(owner);
    }

    // A literal run up to the next "[" or "(" or the end; a backslash takes the next character
    // with it.
    const WCHAR* q = p;
    while (!IsRegExpEnd(*q) && *q != L'[' && *q != L'(')
    {
        if (*q == L'\\' && !IsRegExpEnd(q[1]))
            ++q;
        ++q;
    }
    CRegExpElement* run = new CRegExpString(owner, p, (uint64_t)(q - p));
    p = q;
    return run;
}

} // namespace

CRegExpElement* CRegExp::Parse(CRegExp* owner, CRegExpElement* previous, const WCHAR* pattern,
                               bool* error)
{
    *error = false;
    CRegExpElement* first = nullptr;
    const WCHAR* p = pattern;
    for (;;)
    {
        bool err = false;
        CRegExpElement* e = ParseOne(owner, previous, p, &err);
        if (!e)
        {
            // A syntax error after the first element ends the expression at what was parsed;
            // an alternative mark left dangling by it is dropped.
            if (err)
                *error = first == nullptr;
            if (previous && !previous->m_next)
                previous->m_alternative = 0;
            return first;
        }
        if (previous)
            previous->m_next = e;
        if (!first)
            first = e;
        previous = e;
    }
}

CRegExp* CRegExp::Compile(const WCHAR* pattern)
{
    if (!pattern || IsRegExpEnd(*pattern))
        return nullptr;
    CRegExp* re = nullptr;
    try
    {
        re = new CRegExp;
        bool error = false;
        re->m_first = Parse(re, nullptr, pattern, &error);
        if (!re->m_first || error)
        {
            delete re;
            return nullptr;
        }
        return re;
    }
    catch (const std::bad_alloc&)
    {
        delete re;
        return nullptr;
    }
}

int64_t CRegExp::Match(CRegExp* expression, const WCHAR* text, uint64_t length, uint64_t* consumed)
{
    uint64_t dummy;
    if (!consumed)
        consumed = &dummy;
    *consumed = 0;
    if (!expression)
        return -1;
    expression->ResetCaptures();
    if (!expression->m_first)
        return 0;
    return expression->m_first->MatchChain(text, length, consumed);
}

void CRegExp::Delete(CRegExp* expression)
{
    delete expression;
}
