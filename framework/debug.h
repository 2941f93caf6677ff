// Diagnostic macros. In release builds ASSERT, ASSERT_VALID and TRACE vanish; VERIFY still
// evaluates its argument. A debug build (_DEBUG) reports failed assertions and trace output to
// the debugger through OutputDebugString and goes on.
#pragma once

#include <windows.h>

class CObject;

void AfxAssertFailedLine(const char* file, int line);
void AfxAssertValidObject(const CObject* object, const char* file, int line);
void AfxTrace(const wchar_t* format, ...);
void AfxTrace(const char* format, ...);

#ifdef _DEBUG
#include "framework/text_string.h"

// String objects reach the formatter as their characters, as in CString::Format.
template <typename CharT, typename... Args>
inline void AfxTraceArgs(const CharT* format, Args... args)
{
    AfxTrace(format, ql_string_detail::VarArg(args)...);
}

#define ASSERT(f) ((f) ? (void)0 : AfxAssertFailedLine(__FILE__, __LINE__))
#define VERIFY(f) ASSERT(f)
#define ASSERT_VALID(p) AfxAssertValidObject((p), __FILE__, __LINE__)
#define TRACE(...) AfxTraceArgs(__VA_ARGS__)
#else
#define ASSERT(f) ((void)0)
#define VERIFY(f) ((void)(f))
#define ASSERT_VALID(p) ((void)0)
#define TRACE(...) ((void)0)
#endif

#define TRACE0(sz) TRACE(sz)
#define TRACE1(sz, p1) TRACE(sz, p1)
#define TRACE2(sz, p1, p2) TRACE(sz, p1, p2)
#define TRACE3(sz, p1, p2, p3) TRACE(sz, p1, p2, p3)

#define ASSERT_POINTER(p, type) ASSERT((p) != nullptr)
#define ASSERT_NULL_OR_POINTER(p, type) ((void)0)
#define ASSERT_KINDOF(class_name, object) ASSERT((object)->IsKindOf(RUNTIME_CLASS(class_name)))

#define UNUSED(x) ((void)(x))
#define UNUSED_ALWAYS(x) ((void)(x))

#ifndef DEBUG_NEW
#define DEBUG_NEW new
#endif
