// ConstantTable: storing and looking up named constants.
#include "base/ConstantTable.h"

namespace {

// The tree refuses such keys with an error; a lookup must simply miss them.
bool IsStorableName(const char* name)
{
    if (!name || !*name)
        return false;
    for (const char* p = name; *p; ++p)
        if (static_cast<unsigned char>(*p) < 32 || static_cast<unsigned char>(*p) > 127)
            return false;
    return true;
}

}  // namespace

bool ConstantTable::SetValue(const char* name, double value)
{
    String key(name);
    double* slot = Find(key);
    bool existed = slot != nullptr;
    if (!slot)
        slot = Insert(key);
    if (slot)
        *slot = value;
    ++m_ChangeCount;
    return existed;
}

bool ConstantTable::Lookup(const char* name, double& value)
{
    if (!IsStorableName(name))
        return false;
    double* slot = Find(name);
    if (!slot)
        return false;
    value = *slot;
    return true;
}
