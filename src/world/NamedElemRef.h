// NamedElemRef: a name together with the element it names, held by a reference that turns null
// when the element goes, so a list of them never points at a deleted element.
#pragma once
#include "base/SmartPtr.h"
#include "base/String.h"

class WorldElem;

struct NamedElemRef {
    String name;
    SmartPtr<WorldElem> elem;
};
