// ObjRef, ObjRef3: making references from elements and comparing them.
#include "world/ObjRef.h"

#include "world/WorldElem.h"

uint32_t ObjRef3::CheckValueOf(const WorldElemBase* elem)
{
    if (!elem)
        return 0xFFFFFFFFu;
    if (!WorldElem::IsActiveType(elem->m_TypeCode))
        return 0;
    const WorldElem* live = dynamic_cast<const WorldElem*>(elem);
    return live ? uint32_t(live->m_MyRnd) : 0;  // a plain WorldElemBase draws no check value
}

ObjRef& ObjRef::Set(const WorldElemBase* elem)
{
    objID = elem ? elem->m_ObjID : -1;
    myRnd = ObjRef3::CheckValueOf(elem);
    return *this;
}

ObjRef& ObjRef::Reset()
{
    objID = -1;
    myRnd = 0xFFFFFFFFu;
    return *this;
}

ObjRef3& ObjRef3::Set(const WorldElemBase* elem)
{
    objID = elem ? elem->m_ObjID : -1;
    myRnd = CheckValueOf(elem);
    type = elem ? elem->m_TypeCode : uint16_t(0xFFFF);
    return *this;
}

ObjRef3& ObjRef3::Reset()
{
    objID = -1;
    myRnd = 0xFFFFFFFFu;
    type = 0xFFFF;
    return *this;
}

int32_t ObjRef3::Equals(const ObjRef3& other) const
{
    return type == other.type && objID == other.objID && myRnd == other.myRnd ? 1 : 0;
}

int32_t ObjRef3::RefersTo(const WorldElemBase* elem) const
{
    ObjRef3 now;
    now.Set(elem);
    return Equals(now);
}
