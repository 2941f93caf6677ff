#include <gtest/gtest.h>

#include <string>

#include "framework/core.h"

namespace {

// Counts live instances so that every construction is matched by a destruction.
struct Tracked
{
    static int live;
    int value = 0;
    CString text;
    Tracked() { ++live; }
    Tracked(const Tracked& o) : value(o.value), text(o.text) { ++live; }
    Tracked& operator=(const Tracked& o) = default;
    ~Tracked() { --live; }
};
int Tracked::live = 0;

struct PlainRecord
{
    int number;
    double real;
    void* pointer;
    wchar_t name[8];
};

template <class F>
bool ThrowsInvalidArg(F f)
{
    try
    {
        f();
    }
    catch (CInvalidArgException* e)
    {
        e->Delete();
        return true;
    }
    return false;
}

CString Label(int i)
{
    CString s;
    s.Format(L"item %d with some length to it", i);
    return s;
}

} // namespace

TEST(ArrayTest, StringsSurviveGrowthAndFreeExtra)
{
    CArray<CString> arr;
    for (int i = 0; i < 3000; ++i)
        EXPECT_EQ(i, arr.Add(Label(i)));
    ASSERT_EQ(3000, arr.GetSize());
    EXPECT_EQ(2999, arr.GetUpperBound());
    for (int i = 0; i < 3000; ++i)
        ASSERT_EQ(Label(i), arr[i]) << i;

    arr.SetSize(10);
    arr.FreeExtra();
    ASSERT_EQ(10, arr.GetCount());
    EXPECT_EQ(Label(9), arr.GetAt(9));

    // A shared string stays shared with the array's copy, and writes stay apart.
    CString shared = arr[3];
    arr[3] += L"!";
    EXPECT_EQ(Label(3), shared);
    EXPECT_EQ(Label(3) + L"!", arr[3]);
}

TEST(ArrayTest, ElementsWithInternalPointersMoveSafely)
{
    // Short std::string values keep a pointer into themselves: moving them bitwise would
    // leave that pointer aimed at the old block.
    CArray<std::string> arr;
    for (int i = 0; i < 200; ++i)
        arr.Add(std::to_string(i));
    arr.InsertAt(0, std::string("first"), 3);
    arr.RemoveAt(1, 2);
    ASSERT_EQ(201, arr.GetSize());
    EXPECT_EQ("first", arr[0]);
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(std::to_string(i), arr[i + 1]);
}

TEST(ArrayTest, InsertAndRemoveShiftElements)
{
    CStringArray arr;
    arr.Add(L"a");
    arr.Add(L"d");
    arr.InsertAt(1, L"b");
    arr.InsertAt(2, CString(L"c"));
    arr.InsertAt(0, L"-", 2);
    ASSERT_EQ(6, arr.GetSize());
    CString joined;
    for (INT_PTR i = 0; i < arr.GetSize(); ++i)
        joined += arr[i];
    EXPECT_EQ(CString(L"--abcd"), joined);

    arr.RemoveAt(0, 2);
    arr.RemoveAt(1);
    ASSERT_EQ(3, arr.GetSize());
    EXPECT_EQ(CString(L"a"), arr[0]);
    EXPECT_EQ(CString(L"c"), arr[1]);
    EXPECT_EQ(CString(L"d"), arr[2]);

    // Inserting beyond the end grows the array with empty elements in between.
    arr.InsertAt(5, L"f");
    ASSERT_EQ(6, arr.GetSize());
    EXPECT_TRUE(arr[3].IsEmpty());
    EXPECT_TRUE(arr[4].IsEmpty());
    EXPECT_EQ(CString(L"f"), arr[5]);

    // Inserting a whole array.
    CStringArray more;
    more.Add(L"x");
    more.Add(L"y");
    arr.InsertAt(1, &more);
    EXPECT_EQ(8, arr.GetSize());
    EXPECT_EQ(CString(L"x"), arr[1]);
    EXPECT_EQ(CString(L"y"), arr[2]);
    EXPECT_EQ(CString(L"c"), arr[3]);

    arr.RemoveAt(0, arr.GetSize());
    EXPECT_TRUE(arr.IsEmpty());
}

TEST(ArrayTest, EveryElementIsDestroyedOnce)
{
    Tracked::live = 0;
    {
        CArray<Tracked, Tracked&> arr;
        Tracked t;
        t.value = 7;
        t.text = L"seven";
        for (int i = 0; i < 50; ++i)
            arr.Add(t);
        EXPECT_EQ(51, Tracked::live);
        arr.SetSize(20); // shrinking destroys the dropped elements
        EXPECT_EQ(21, Tracked::live);
        arr.InsertAt(5, t, 4);
        arr.RemoveAt(0, 3);
        EXPECT_EQ(22, Tracked::live);
        arr.SetSize(100, 16);
        EXPECT_EQ(101, Tracked::live);
        EXPECT_EQ(0, arr[99].value);
        EXPECT_EQ(CString(L"seven"), arr[0].text);
        arr.FreeExtra();
        EXPECT_EQ(101, Tracked::live);
        CArray<Tracked, Tracked&> other;
        other.Copy(arr);
        EXPECT_EQ(201, Tracked::live);
        other.RemoveAll();
        EXPECT_EQ(101, Tracked::live);
    }
    EXPECT_EQ(0, Tracked::live);
}

TEST(ArrayTest, NewElementsOfPlainRecordsAreZero)
{
    CArray<PlainRecord, PlainRecord&> arr;
    arr.SetSize(3);
    PlainRecord& r = arr[0];
    r.number = 5;
    r.pointer = &r;
    arr.SetSize(0);
    arr.SetSize(40);
    for (INT_PTR i = 0; i < arr.GetSize(); ++i)
    {
        EXPECT_EQ(0, arr[i].number);
        EXPECT_EQ(0.0, arr[i].real);
        EXPECT_EQ(nullptr, arr[i].pointer);
        EXPECT_EQ(0, arr[i].name[7]);
    }
}

TEST(ArrayTest, SelfReferencesAreSafe)
{
    CArray<CString> arr;
    arr.Add(L"one");
    arr.Add(L"two");
    arr.Copy(arr);
    ASSERT_EQ(2, arr.GetSize());
    EXPECT_EQ(CString(L"one"), arr[0]);

    EXPECT_EQ(2, arr.Append(arr));
    ASSERT_EQ(4, arr.GetSize());
    EXPECT_EQ(CString(L"two"), arr[3]);

    arr.InsertAt(1, &arr);
    ASSERT_EQ(8, arr.GetSize());
    EXPECT_EQ(CString(L"one"), arr[1]);
    EXPECT_EQ(CString(L"two"), arr[4]);
    EXPECT_EQ(CString(L"two"), arr[5]);

    // Adding an element of the array itself while it must grow.
    arr.FreeExtra();
    for (int i = 0; i < 20; ++i)
        arr.Add(arr[0]);
    arr.InsertAt(0, arr[arr.GetUpperBound()], 30);
    arr.SetAtGrow(arr.GetSize() + 5, arr[1]);
    ASSERT_EQ(64, arr.GetSize());
    for (INT_PTR i = 0; i < 30; ++i)
        ASSERT_EQ(CString(L"one"), arr[i]) << i;
    EXPECT_EQ(CString(L"two"), arr[32]);
    EXPECT_EQ(CString(L"one"), arr[57]);
    EXPECT_EQ(CString(L"one"), arr[arr.GetUpperBound()]);
    EXPECT_TRUE(arr[arr.GetUpperBound() - 1].IsEmpty());
}

TEST(ArrayTest, OutOfRangeIndexThrows)
{
    CArray<int, int> arr;
    arr.Add(1);
    const CArray<int, int>& carr = arr;
    EXPECT_TRUE(ThrowsInvalidArg([&] { (void)arr[1]; }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { (void)carr[-1]; }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { (void)arr.GetAt(5); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { arr.SetAt(1, 3); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { arr.ElementAt(-1) = 2; }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { arr.RemoveAt(0, 2); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { arr.RemoveAt(-1); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { arr.SetSize(-1); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { arr.SetAtGrow(-1, 0); }));
    EXPECT_EQ(1, arr.GetSize());
    EXPECT_EQ(1, arr[0]);

    CArray<int, int> empty;
    EXPECT_TRUE(ThrowsInvalidArg([&] { (void)empty[0]; }));
    EXPECT_EQ(nullptr, empty.GetData());
}

TEST(ArrayTest, CopiesAreIndependent)
{
    CArray<CString> a;
    a.Add(L"x");
    CArray<CString> b(a);
    b[0] = L"y";
    EXPECT_EQ(CString(L"x"), a[0]);
    CArray<CString> c;
    c = b;
    c.Add(L"z");
    EXPECT_EQ(1, b.GetSize());
    CArray<CString> d(std::move(c));
    EXPECT_EQ(2, d.GetSize());
    EXPECT_EQ(0, c.GetSize());
}

TEST(ArrayTest, FixedTypeArrays)
{
    CByteArray bytes;
    bytes.SetSize(4);
    memcpy(bytes.GetData(), "\x01\x02\x03\x04", 4);
    bytes.Add(5);
    EXPECT_EQ(5, bytes.GetSize());
    EXPECT_EQ(3, bytes[2]);
    EXPECT_EQ(5, bytes[4]);

    CDWordArray dwords;
    dwords.SetAtGrow(3, 0xFFFFFFFFu);
    EXPECT_EQ(4, dwords.GetSize());
    EXPECT_EQ(0u, dwords[0]);
    EXPECT_EQ(0xFFFFFFFFu, dwords[3]);

    CMemoryException ex1;
    CFileException ex2;
    CTypedPtrArray<CObArray, CException*> exceptions;
    exceptions.Add(&ex1);
    exceptions.Add(&ex2);
    CException* second = exceptions[1];
    EXPECT_EQ(&ex2, second);
    EXPECT_TRUE(exceptions.GetAt(0)->IsKindOf(RUNTIME_CLASS(CMemoryException)));
    exceptions.ElementAt(0) = &ex2;
    EXPECT_EQ(&ex2, exceptions[0]);

    int values[3] = {1, 2, 3};
    CTypedPtrArray<CPtrArray, int*> pointers;
    for (int& v : values)
        pointers.Add(&v);
    pointers.RemoveAt(0);
    EXPECT_EQ(2, *pointers[0]);
    EXPECT_EQ(3, *pointers.GetData()[1]);
}
