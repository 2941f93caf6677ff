// Growable arrays: the CArray template and the typed arrays built on it.
//
// Elements live in one contiguous block. New elements are zero-filled and then default
// constructed (so plain records start out all zero), removed elements are destroyed, and
// elements are moved (not copied bitwise) when the block grows or elements shift, so any
// element type with proper copy or move semantics is safe. An index outside the array is
// reported through ASSERT and thrown as CInvalidArgException* instead of touching memory.
#pragma once

#include <windows.h>

#include <cstring>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

#include "framework/debug.h"
#include "framework/exceptions.h"
#include "framework/object.h"
#include "framework/text_string.h"

namespace ql_collections_detail {

// Throws the out-of-range report shared by every array (defined in collections.cpp).
[[noreturn]] void ThrowBadIndex();
// Throws for a size that cannot be allocated.
[[noreturn]] void ThrowNoMemory();

template <class TYPE>
void ConstructElements(TYPE* elements, INT_PTR count)
{
    if (count <= 0)
        return;
    std::memset(static_cast<void*>(elements), 0, static_cast<size_t>(count) * sizeof(TYPE));
    for (INT_PTR i = 0; i < count; ++i)
        ::new (static_cast<void*>(elements + i)) TYPE;
}

template <class TYPE>
void DestroyElements(TYPE* elements, INT_PTR count)
{
    if constexpr (!std::is_trivially_destructible_v<TYPE>)
    {
        for (INT_PTR i = 0; i < count; ++i)
            elements[i].~TYPE();
    }
}

// Moves count elements from src into the raw (unconstructed) memory at dest, leaving the
// source slots destroyed. The two ranges may overlap.
template <class TYPE>
void RelocateElements(TYPE* dest, TYPE* src, INT_PTR count)
{
    if (count <= 0 || dest == src)
        return;
    if constexpr (std::is_trivially_copyable_v<TYPE>)
    {
        std::memmove(static_cast<void*>(dest), static_cast<const void*>(src),
                     static_cast<size_t>(count) * sizeof(TYPE));
    }
    else if (dest < src)
    {
        for (INT_PTR i = 0; i < count; ++i)
        {
            ::new (static_cast<void*>(dest + i)) TYPE(std::move(src[i]));
            src[i].~TYPE();
        }
    }
    else
    {
        for (INT_PTR i = count - 1; i >= 0; --i)
        {
            ::new (static_cast<void*>(dest + i)) TYPE(std::move(src[i]));
            src[i].~TYPE();
        }
    }
}

} // namespace ql_collections_detail

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray : public CObject
{
public:
    CArray() {}
    CArray(const CArray& src) : CObject() { Copy(src); }
    CArray(CArray&& src) noexcept : CObject()
    {
        std::swap(m_pData, src.m_pData);
        std::swap(m_nSize, src.m_nSize);
        std::swap(m_nMaxSize, src.m_nMaxSize);
        std::swap(m_nGrowBy, src.m_nGrowBy);
    }
    CArray& operator=(const CArray& src)
    {
        Copy(src);
        return *this;
    }
    CArray& operator=(CArray&& src) noexcept
    {
        if (this != &src)
        {
            std::swap(m_pData, src.m_pData);
            std::swap(m_nSize, src.m_nSize);
            std::swap(m_nMaxSize, src.m_nMaxSize);
            std::swap(m_nGrowBy, src.m_nGrowBy);
        }
        return *this;
    }
    ~CArray() override { Release(); }

    // Size
    INT_PTR GetSize() const { return m_nSize; }
    INT_PTR GetCount() const { return m_nSize; }
    BOOL IsEmpty() const { return m_nSize == 0; }
    INT_PTR GetUpperBound() const { return m_nSize - 1; }

    // Sets the number of elements: new ones are zero-filled and constructed, dropped ones
    // destroyed. nGrowBy (when not -1) is the allocation step for later growth.
    void SetSize(INT_PTR nNewSize, INT_PTR nGrowBy = -1)
    {
        ASSERT(nNewSize >= 0);
        if (nNewSize < 0)
            ql_collections_detail::ThrowBadIndex();
        if (nGrowBy >= 0)
            m_nGrowBy = nGrowBy;

        if (nNewSize == 0)
        {
            Release();
            return;
        }
        if (nNewSize <= m_nMaxSize)
        {
            if (nNewSize > m_nSize)
                ql_collections_detail::ConstructElements(m_pData + m_nSize, nNewSize - m_nSize);
            else if (nNewSize < m_nSize)
                ql_collections_detail::DestroyElements(m_pData + nNewSize, m_nSize - nNewSize);
            m_nSize = nNewSize;
            return;
        }

        INT_PTR grow = m_nGrowBy;
        if (grow <= 0)
        {
            grow = m_nSize / 8;
            grow = grow < 4 ? 4 : (grow > 1024 ? 1024 : grow);
        }
        INT_PTR newMax = m_nMaxSize + grow;
        if (newMax < nNewSize)
            newMax = nNewSize;
        Reallocate(newMax);
        ql_collections_detail::ConstructElements(m_pData + m_nSize, nNewSize - m_nSize);
        m_nSize = nNewSize;
    }

    // Releases the capacity beyond the current size.
    void FreeExtra()
    {
        if (m_nSize == m_nMaxSize)
            return;
        if (m_nSize == 0)
        {
            Release();
            return;
        }
        Reallocate(m_nSize);
    }

    void RemoveAll() { SetSize(0, -1); }

    // Element access
    const TYPE& GetAt(INT_PTR nIndex) const { return m_pData[CheckIndex(nIndex)]; }
    TYPE& GetAt(INT_PTR nIndex) { return m_pData[CheckIndex(nIndex)]; }
    void SetAt(INT_PTR nIndex, ARG_TYPE newElement) { m_pData[CheckIndex(nIndex)] = newElement; }
    const TYPE& ElementAt(INT_PTR nIndex) const { return m_pData[CheckIndex(nIndex)]; }
    TYPE& ElementAt(INT_PTR nIndex) { return m_pData[CheckIndex(nIndex)]; }
    const TYPE& operator[](INT_PTR nIndex) const { return GetAt(nIndex); }
    TYPE& operator[](INT_PTR nIndex) { return ElementAt(nIndex); }

    const TYPE* GetData() const { return m_pData; }
    TYPE* GetData() { return m_pData; }

    // Growing
    void SetAtGrow(INT_PTR nIndex, ARG_TYPE newElement)
    {
        ASSERT(nIndex >= 0);
        if (nIndex < 0)
            ql_collections_detail::ThrowBadIndex();
        if (nIndex >= m_nSize)
        {
            if (Aliases(newElement))
            {
                TYPE value(newElement);
                SetSize(nIndex + 1, -1);
                m_pData[nIndex] = std::move(value);
                return;
            }
            SetSize(nIndex + 1, -1);
        }
        m_pData[nIndex] = newElement;
    }

    INT_PTR Add(ARG_TYPE newElement)
    {
        INT_PTR nIndex = m_nSize;
        SetAtGrow(nIndex, newElement);
        return nIndex;
    }

    // Appends a copy of every element of src; returns the index of the first one.
    INT_PTR Append(const CArray& src)
    {
        INT_PTR nOldSize = m_nSize;
        if (this == &src)
        {
            CArray copy(src);
            return Append(copy);
        }
        SetSize(m_nSize + src.m_nSize, -1);
        for (INT_PTR i = 0; i < src.m_nSize; ++i)
            m_pData[nOldSize + i] = src.m_pData[i];
        return nOldSize;
    }

    // Makes this array a copy of src (copying an array onto itself leaves it as it is).
    void Copy(const CArray& src)
    {
        if (this == &src)
            return;
        SetSize(src.m_nSize, -1);
        for (INT_PTR i = 0; i < src.m_nSize; ++i)
            m_pData[i] = src.m_pData[i];
    }

    // Inserts nCount copies of newElement at nIndex, shifting the later elements up; an
    // index at or past the end grows the array to reach it.
    void InsertAt(INT_PTR nIndex, ARG_TYPE newElement, INT_PTR nCount = 1)
    {
        ASSERT(nIndex >= 0 && nCount > 0);
        if (nIndex < 0 || nCount <= 0)
            ql_collections_detail::ThrowBadIndex();
        if (Aliases(newElement))
        {
            TYPE value(newElement);
            InsertAt(nIndex, static_cast<ARG_TYPE>(value), nCount);
            return;
        }
        OpenGap(nIndex, nCount);
        for (INT_PTR i = 0; i < nCount; ++i)
            m_pData[nIndex + i] = newElement;
    }

    // Inserts a copy of every element of pNewArray at nStartIndex.
    void InsertAt(INT_PTR nStartIndex, const CArray* pNewArray)
    {
        ASSERT(pNewArray != nullptr && nStartIndex >= 0);
        if (pNewArray == nullptr || nStartIndex < 0)
            ql_collections_detail::ThrowBadIndex();
        if (pNewArray->m_nSize == 0)
            return;
        if (pNewArray == this)
        {
            CArray copy(*this);
            InsertAt(nStartIndex, &copy);
            return;
        }
        OpenGap(nStartIndex, pNewArray->m_nSize);
        for (INT_PTR i = 0; i < pNewArray->m_nSize; ++i)
            m_pData[nStartIndex + i] = pNewArray->m_pData[i];
    }

    // Removes nCount elements from nIndex, shifting the later ones down.
    void RemoveAt(INT_PTR nIndex, INT_PTR nCount = 1)
    {
        ASSERT(nIndex >= 0 && nCount >= 0 && nIndex + nCount <= m_nSize);
        if (nIndex < 0 || nCount < 0 || nIndex > m_nSize || nCount > m_nSize - nIndex)
            ql_collections_detail::ThrowBadIndex();
        if (nCount == 0)
            return;
        INT_PTR nMove = m_nSize - (nIndex + nCount);
        ql_collections_detail::DestroyElements(m_pData + nIndex, nCount);
        ql_collections_detail::RelocateElements(m_pData + nIndex, m_pData + nIndex + nCount, nMove);
        m_nSize -= nCount;
    }

protected:
    TYPE* m_pData = nullptr;
    INT_PTR m_nSize = 0;
    INT_PTR m_nMaxSize = 0;
    INT_PTR m_nGrowBy = 0;

private:
    INT_PTR CheckIndex(INT_PTR nIndex) const
    {
        ASSERT(nIndex >= 0 && nIndex < m_nSize);
        if (nIndex < 0 || nIndex >= m_nSize)
            ql_collections_detail::ThrowBadIndex();
        return nIndex;
    }

    // True when the argument refers to storage inside this array (it may move or die
    // while the array changes, so it must be copied first).
    bool Aliases(ARG_TYPE value) const
    {
        if constexpr (std::is_reference_v<ARG_TYPE>)
        {
            const void* p = static_cast<const void*>(std::addressof(value));
            return m_pData != nullptr && p >= static_cast<const void*>(m_pData) &&
                   p < static_cast<const void*>(m_pData + m_nMaxSize);
        }
        else
        {
            (void)value;
            return false;
        }
    }

    // Moves the elements into a new block of newMax slots.
    void Reallocate(INT_PTR newMax)
    {
        if (newMax < 0 || static_cast<size_t>(newMax) > static_cast<size_t>(-1) / sizeof(TYPE))
            ql_collections_detail::ThrowNoMemory();
        void* block = ::operator new(static_cast<size_t>(newMax) * sizeof(TYPE), std::nothrow);
        if (block == nullptr)
            ql_collections_detail::ThrowNoMemory();
        TYPE* newData = static_cast<TYPE*>(block);
        ql_collections_detail::RelocateElements(newData, m_pData, m_nSize);
        ::operator delete(static_cast<void*>(m_pData));
        m_pData = newData;
        m_nMaxSize = newMax;
    }

    // Makes room for nCount constructed elements at nIndex (growing past the end when
    // nIndex is beyond it).
    void OpenGap(INT_PTR nIndex, INT_PTR nCount)
    {
        if (nIndex >= m_nSize)
        {
            SetSize(nIndex + nCount, -1);
            return;
        }
        INT_PTR nOldSize = m_nSize;
        SetSize(m_nSize + nCount, -1);
        // The tail slots just constructed are destroyed, the tail moved up into them, and
        // the opened gap constructed afresh.
        ql_collections_detail::DestroyElements(m_pData + nOldSize, nCount);
        ql_collections_detail::RelocateElements(m_pData + nIndex + nCount, m_pData + nIndex,
                                                nOldSize - nIndex);
        ql_collections_detail::ConstructElements(m_pData + nIndex, nCount);
    }

    void Release()
    {
        if (m_pData != nullptr)
        {
            ql_collections_detail::DestroyElements(m_pData, m_nSize);
            ::operator delete(static_cast<void*>(m_pData));
        }
        m_pData = nullptr;
        m_nSize = 0;
        m_nMaxSize = 0;
    }
};

// The framework's fixed-type arrays.
class CByteArray : public CArray<BYTE, BYTE>
{};

class CWordArray : public CArray<WORD, WORD>
{};

class CDWordArray : public CArray<DWORD, DWORD>
{};

class CUIntArray : public CArray<UINT, UINT>
{};

class CPtrArray : public CArray<void*, void*>
{};

class CObArray : public CArray<CObject*, CObject*>
{};

class CStringArray : public CArray<CString, const CString&>
{
public:
    using CArray<CString, const CString&>::Add;
    using CArray<CString, const CString&>::SetAt;
    using CArray<CString, const CString&>::SetAtGrow;
    using CArray<CString, const CString&>::InsertAt;
    INT_PTR Add(LPCTSTR newElement) { return Add(CString(newElement)); }
    void SetAt(INT_PTR nIndex, LPCTSTR newElement) { SetAt(nIndex, CString(newElement)); }
    void SetAtGrow(INT_PTR nIndex, LPCTSTR newElement) { SetAtGrow(nIndex, CString(newElement)); }
    void InsertAt(INT_PTR nIndex, LPCTSTR newElement, INT_PTR nCount = 1)
    {
        InsertAt(nIndex, CString(newElement), nCount);
    }
};

// A pointer array (CPtrArray or CObArray) that hands its elements out as TYPE.
template <class BASE_CLASS, class TYPE>
class CTypedPtrArray : public BASE_CLASS
{
    using Base = BASE_CLASS;
    using BaseElement = std::remove_reference_t<decltype(std::declval<Base&>().ElementAt(0))>;

public:
    TYPE GetAt(INT_PTR nIndex) const { return static_cast<TYPE>(Base::GetAt(nIndex)); }
    TYPE& ElementAt(INT_PTR nIndex) { return reinterpret_cast<TYPE&>(Base::ElementAt(nIndex)); }
    void SetAt(INT_PTR nIndex, TYPE ptr) { Base::SetAt(nIndex, static_cast<BaseElement>(ptr)); }
    void SetAtGrow(INT_PTR nIndex, TYPE ptr)
    {
        Base::SetAtGrow(nIndex, static_cast<BaseElement>(ptr));
    }
    INT_PTR Add(TYPE ptr) { return Base::Add(static_cast<BaseElement>(ptr)); }
    INT_PTR Append(const CTypedPtrArray& src) { return Base::Append(src); }
    void Copy(const CTypedPtrArray& src) { Base::Copy(src); }
    void InsertAt(INT_PTR nIndex, TYPE ptr, INT_PTR nCount = 1)
    {
        Base::InsertAt(nIndex, static_cast<BaseElement>(ptr), nCount);
    }
    void InsertAt(INT_PTR nStartIndex, CTypedPtrArray* pNewArray)
    {
        Base::InsertAt(nStartIndex, pNewArray);
    }
    TYPE operator[](INT_PTR nIndex) const { return GetAt(nIndex); }
    TYPE& operator[](INT_PTR nIndex) { return ElementAt(nIndex); }
    TYPE* GetData() { return reinterpret_cast<TYPE*>(Base::GetData()); }
    const TYPE* GetData() const { return reinterpret_cast<const TYPE*>(Base::GetData()); }
};
