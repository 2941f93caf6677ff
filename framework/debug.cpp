// Debug output for assertions, validity checks and trace messages.
#include "framework/debug.h"

#include "framework/object.h"
#include "framework/text_string.h"

#include <cstdio>

void AfxAssertFailedLine(const char* file, int line)
{
    char text[512];
    std::snprintf(text, sizeof text, "Assertion failed: %s(%d)\n", file ? file : "?", line);
    OutputDebugStringA(text);
}

void AfxAssertValidObject(const CObject* object, const char* file, int line)
{
    if (!object)
    {
        AfxAssertFailedLine(file, line);
        return;
    }
    object->AssertValid();
}

void AfxTrace(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    CStringW text;
    text.FormatV(format, args);
    va_end(args);
    OutputDebugStringW(text);
}

void AfxTrace(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    CStringA text;
    text.FormatV(format, args);
    va_end(args);
    OutputDebugStringA(text);
}
