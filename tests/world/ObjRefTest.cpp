// ObjRef, ObjRef3: references made from elements and null, the live rule for check values, and
// comparing them.
#include "world/ObjRef.h"

#include "world/WorldElem.h"

#include <gtest/gtest.h>

TEST(ObjRefTest, MadeFromElements)
{
    WorldElem creature;
    creature.m_TypeCode = ElemType::kCreature;
    creature.m_ObjID = 12;
    creature.m_MyRnd = 0x1234;
    WorldElem wall;  // walls and effects are not live: their references carry 0
    wall.m_TypeCode = ElemType::kWall;
    wall.m_ObjID = 3;
    wall.m_MyRnd = 99;

    const struct {
        const WorldElemBase* elem;
        int32_t objID;
        uint32_t myRnd;
        uint16_t type;
    } kCases[] = {
        {nullptr, -1, 0xFFFFFFFFu, 0xFFFF},
        {&creature, 12, 0x1234, 4},
        {&wall, 3, 0, 7},
    };
    for (const auto& c : kCases) {
        ObjRef ref(5, 5);
        ref.Set(c.elem);
        EXPECT_EQ(ref.objID, c.objID);
        EXPECT_EQ(ref.myRnd, c.myRnd);
        ObjRef3 ref3(c.elem);
        EXPECT_EQ(ref3.objID, c.objID);
        EXPECT_EQ(ref3.myRnd, c.myRnd);
        EXPECT_EQ(ref3.type, c.type);
        EXPECT_EQ(ref3.RefersTo(c.elem), 1);
    }
    wall.m_TypeCode = ElemType::kEffect;
    EXPECT_EQ(ObjRef3(&wall).myRnd, 0u);
}

TEST(ObjRefTest, ComparingAndResetting)
{
    WorldElem elem;
    elem.m_ObjID = 4;
    elem.m_MyRnd = 77;
    ObjRef3 a(&elem);
    ObjRef3 b(&elem);
    EXPECT_EQ(a.Equals(b), 1);
    b.type = ElemType::kItem;  // differing only in the type
    EXPECT_EQ(a.Equals(b), 0);
    EXPECT_EQ(b.RefersTo(&elem), 0);
    elem.m_MyRnd = 78;  // the element has another identity now
    EXPECT_EQ(a.RefersTo(&elem), 0);

    a.Reset();
    EXPECT_EQ(a.objID, -1);
    EXPECT_EQ(a.myRnd, 0xFFFFFFFFu);
    EXPECT_EQ(a.type, 0xFFFF);
    EXPECT_EQ(a.RefersTo(nullptr), 1);
    EXPECT_EQ(a.RefersTo(&elem), 0);
    ObjRef plain(4, 77);
    EXPECT_EQ(plain.Reset().objID, -1);
    EXPECT_EQ(plain.myRnd, 0xFFFFFFFFu);
}
