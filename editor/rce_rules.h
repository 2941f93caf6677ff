// Colour-rule records of the colour editor, the tokenizer callback type and the per-line
// colouring state. The rule records travel between windows in arrays by message, so their
// layout is fixed: packed, little-endian, 8-byte pointers.
#pragma once

#include <windows.h>

#include <cstddef>

struct RCE_STATE;
class CRegExp;

// Word rule flags.
#define RCEWF_MATCHCASE 0x1

// Range rule begin/end flags.
#define RCERF_MATCHCASE 0x1
#define RCERF_FIRSTNONBLANK 0x8 // begin counts only at the first non-blank position of the line

// Regular-expression rule flags.
#define RCEXF_AFTERNONIDENT 0x2 // only at line start or after a non-identifier character
#define RCEXF_ENDNONIDENT 0x4   // the character after the coloured part is no identifier character
#define RCEXF_FIRSTNONBLANK 0x8 // only at the first non-blank position of the line

// At most this many range rules reach an editor: the line state byte holds the open rule's
// 1-based number.
#define RCE_MAX_RANGE_RULES 255

#pragma pack(push, 1)

struct tagRCEWordColor
{
    COLORREF color;
    WCHAR* word;   // private NUL-terminated copy owned by the list
    UINT32 length; // characters
    UINT32 flags;  // RCEWF_*
};

struct tagRCERangeColor
{
    COLORREF color;
    WCHAR* begin;
    UINT32 beginLength;
    UINT32 beginFlags; // RCERF_*
    WCHAR* end;        // "\n" alone: the range ends at the end of the line
    UINT32 endLength;
    UINT32 endFlags;
    WCHAR escape; // 0 = none
};

struct tagRCERegExpColor
{
    COLORREF color;
    CRegExp* regexp; // owned by the list's builder, not by the list
    UINT32 flags;    // RCEXF_*
};

struct tagRCEAutoCompleteWord
{
    WCHAR* word;
    UINT32 length;
};

#pragma pack(pop)

static_assert(sizeof(tagRCEWordColor) == 20, "tagRCEWordColor layout");
static_assert(sizeof(tagRCERangeColor) == 38, "tagRCERangeColor layout");
static_assert(sizeof(tagRCERegExpColor) == 16, "tagRCERegExpColor layout");
static_assert(sizeof(tagRCEAutoCompleteWord) == 12, "tagRCEAutoCompleteWord layout");
static_assert(offsetof(tagRCEWordColor, word) == 4 && offsetof(tagRCEWordColor, length) == 12 &&
                  offsetof(tagRCEWordColor, flags) == 16,
              "tagRCEWordColor field offsets");
static_assert(offsetof(tagRCERangeColor, beginFlags) == 16 &&
                  offsetof(tagRCERangeColor, end) == 20 &&
                  offsetof(tagRCERangeColor, endFlags) == 32 &&
                  offsetof(tagRCERangeColor, escape) == 36,
              "tagRCERangeColor field offsets");
static_assert(offsetof(tagRCERegExpColor, flags) == 12, "tagRCERegExpColor field offsets");
static_assert(offsetof(tagRCEAutoCompleteWord, length) == 8,
              "tagRCEAutoCompleteWord field offsets");

// Colouring state carried from one line (or wrap row) into the next.
//   state:  low byte = state byte (0 = no open range), second byte = the carried token is coloured;
//   carry:  how far the last token of the previous row reaches into this row (wrap only);
//   colour: colour of that token.
struct RCELineState
{
    UINT32 state;
    UINT32 carry;
    COLORREF colour;
};

inline BYTE RCEStateByte(const RCELineState& ls)
{
    return (BYTE)(ls.state & 0xFF);
}
inline bool RCEStateCarryColoured(const RCELineState& ls)
{
    return ((ls.state >> 8) & 0xFF) != 0;
}

// Tokenizer callback: reads one token of a line.
//   state         the window's state (read-only; the rule arrays live there)
//   inState       incoming state byte (0 = no open range)
//   text          first character of the line or row
//   length        characters the tokenizer may look at
//   pos           position of the token to read
//   firstNonBlank first non-blank position of the line
//   colour        out: colour of the token
//   colouredLen   out: coloured length (0 = drawn in the default text colour)
//   tokenLen      out: token length (0 is taken as 1)
//   outState      in: the incoming state; changed only when a range begins or ends
typedef void(CALLBACK* RCETokenizerProc)(const RCE_STATE* state, BYTE inState, const WCHAR* text,
                                         int length, int pos, int firstNonBlank, COLORREF* colour,
                                         int* colouredLen, int* tokenLen, BYTE* outState);

// Auto-indent keyword (RCEM_SETINDENTWORDS).
#define RCEIW_WHOLEWORD 0x1
#define RCEIW_FIRSTWORD 0x2
#define RCEIW_LASTWORD 0x4
#define RCEIW_MATCHCASE 0x8

#pragma pack(push, 1)

struct RCEIndentWord
{
    const WCHAR* word;
    UINT32 length;
    UINT32 flags; // RCEIW_*
};

// Replacement for the indent-word matcher. Receives the text, its length, the position after
// the reference line's indentation, the reference line's end, the caret, the typed character,
// the indent column found so far, the indent-word table and its count, the tab size and a result
// record whose first int receives the indent change. A zero result means no automatic indent.
typedef int(CALLBACK* RCEIndentHookProc)(const WCHAR* text, UINT32 textLength, UINT32 from,
                                         UINT32 lineEnd, UINT32 caret, WCHAR typed, int indent,
                                         const RCEIndentWord* words, UINT32 count, UINT32 tabSize,
                                         int* result);

struct RCEIndentHook
{
    const WCHAR* triggers; // characters that make the keyboard recompute a line's indent
    UINT32 triggerCount;
    RCEIndentHookProc proc;
};

#pragma pack(pop)

static_assert(sizeof(RCEIndentWord) == 16, "RCEIndentWord layout");
static_assert(sizeof(RCEIndentHook) == 20, "RCEIndentHook layout");
