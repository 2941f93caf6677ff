// The markup tokenizer: colours tags, attributes and comments of XML and HTML text in editor
// windows that show markup values. Its colours and rule tables are process-wide.
//
// State byte carried into the next line: bits 0xC0 = 0x00 content, 0x40 inside a tag before or at
// its name, 0x80 among a tag's attributes, 0xC0 inside a comment; bits 0x1F = the 1-based number
// of the open attribute range rule (so at most 31 attribute range rules).
#pragma once

#include <windows.h>

#include "editor/rce_state.h"

#define RCE_MARKUP_CONTENT 0x00
#define RCE_MARKUP_TAG 0x40
#define RCE_MARKUP_ATTRIBUTES 0x80
#define RCE_MARKUP_COMMENT 0xC0
#define RCE_MARKUP_KIND_MASK 0xC0
#define RCE_MARKUP_RANGE_MASK 0x1F
#define RCE_MARKUP_MAX_RANGES 31

// Stores the style for every window using the markup tokenizer. The tables stay owned by the
// caller and must live while any window uses the tokenizer. Word and content range rules are
// kept but not read.
void SetMarkupSyntaxStyle(COLORREF tagColour, COLORREF commentColour, const tagRCEWordColor* words,
                          UINT32 wordCount, const tagRCERegExpColor* expressions,
                          UINT32 expressionCount, const tagRCERangeColor* attributeRanges,
                          UINT32 attributeRangeCount, const tagRCERangeColor* contentRanges,
                          UINT32 contentRangeCount);

// An identifier character, "-", ":" or ".".
bool IsMarkupNameChar(WCHAR ch);

void MarkupSyntaxLexer(const RCE_STATE* state, BYTE inState, const WCHAR* text, int length, int pos,
                       int firstNonBlank, COLORREF* colour, int* colouredLen, int* tokenLen,
                       BYTE* outState);

// The RCETokenizerProc installed with RCEM_SETTOKENIZER on markup views.
void CALLBACK MarkupSyntaxCallback(const RCE_STATE* state, BYTE inState, const WCHAR* text,
                                   int length, int pos, int firstNonBlank, COLORREF* colour,
                                   int* colouredLen, int* tokenLen, BYTE* outState);
