#include <gtest/gtest.h>

#include "framework/exceptions.h"
#include "framework/object.h"

#include <cstring>

namespace {

class CShape : public CObject
{
    DECLARE_DYNAMIC(CShape)
};

class CCircle : public CShape
{
    DECLARE_DYNCREATE(CCircle)
public:
    double radius = 1.0;
};

class CUnrelated : public CObject
{
    DECLARE_DYNCREATE(CUnrelated)
};

} // namespace

IMPLEMENT_DYNAMIC(CShape, CObject)
IMPLEMENT_DYNCREATE(CCircle, CShape)
IMPLEMENT_DYNCREATE(CUnrelated, CObject)

namespace {

TEST(RuntimeClass, NamesSizesAndBases)
{
    CRuntimeClass* circle = RUNTIME_CLASS(CCircle);
    EXPECT_STREQ(circle->m_lpszClassName, "CCircle");
    EXPECT_EQ(circle->m_nObjectSize, static_cast<int>(sizeof(CCircle)));
    EXPECT_EQ(circle->m_pBaseClass, RUNTIME_CLASS(CShape));
    EXPECT_EQ(RUNTIME_CLASS(CShape)->m_pBaseClass, RUNTIME_CLASS(CObject));
    EXPECT_EQ(RUNTIME_CLASS(CObject)->m_pBaseClass, nullptr);

    EXPECT_TRUE(circle->IsDerivedFrom(RUNTIME_CLASS(CShape)));
    EXPECT_TRUE(circle->IsDerivedFrom(RUNTIME_CLASS(CObject)));
    EXPECT_TRUE(circle->IsDerivedFrom(circle));
    EXPECT_FALSE(RUNTIME_CLASS(CShape)->IsDerivedFrom(circle));
    EXPECT_FALSE(circle->IsDerivedFrom(RUNTIME_CLASS(CUnrelated)));
    EXPECT_FALSE(circle->IsDerivedFrom(nullptr));
}

TEST(RuntimeClass, KindOfAndDowncasts)
{
    CCircle circle;
    CObject* object = &circle;
    EXPECT_EQ(object->GetRuntimeClass(), RUNTIME_CLASS(CCircle));
    EXPECT_TRUE(object->IsKindOf(RUNTIME_CLASS(CShape)));
    EXPECT_FALSE(object->IsKindOf(RUNTIME_CLASS(CUnrelated)));
    EXPECT_EQ(DYNAMIC_DOWNCAST(CShape, object), &circle);
    EXPECT_EQ(DYNAMIC_DOWNCAST(CUnrelated, object), nullptr);
    EXPECT_EQ(DYNAMIC_DOWNCAST(CShape, static_cast<CObject*>(nullptr)), nullptr);
    EXPECT_EQ(STATIC_DOWNCAST(CCircle, object)->radius, 1.0);

    // Exceptions carry their classes too.
    CFileException file;
    EXPECT_TRUE(file.IsKindOf(RUNTIME_CLASS(CException)));
    EXPECT_FALSE(file.IsKindOf(RUNTIME_CLASS(CSimpleException)));
    CMemoryException memory;
    EXPECT_TRUE(memory.IsKindOf(RUNTIME_CLASS(CSimpleException)));
}

TEST(RuntimeClass, DynamicCreation)
{
    CObject* created = RUNTIME_CLASS(CCircle)->CreateObject();
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->GetRuntimeClass(), RUNTIME_CLASS(CCircle));
    delete created;
    EXPECT_EQ(RUNTIME_CLASS(CShape)->CreateObject(), nullptr); // not creatable

    EXPECT_EQ(CRuntimeClass::FromName("CUnrelated"), RUNTIME_CLASS(CUnrelated));
    EXPECT_EQ(CRuntimeClass::FromName(L"CCircle"), RUNTIME_CLASS(CCircle));
    EXPECT_EQ(CRuntimeClass::FromName("NoSuchClass"), nullptr);
    CObject* byName = CRuntimeClass::CreateObject(L"CUnrelated");
    ASSERT_NE(byName, nullptr);
    EXPECT_TRUE(byName->IsKindOf(RUNTIME_CLASS(CUnrelated)));
    delete byName;
}

} // namespace
