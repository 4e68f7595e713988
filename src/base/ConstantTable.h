// ConstantTable: the program's named constants (name to double) from "cfg\constants.cfg", which
// every reader of the configuration format resolves constant names through.
#pragma once
#include "base/SearchTree.h"

#include <cstdint>

class ConstantTable : public SearchTree<double> {
public:
    // True when the name existed and its value was replaced, false when it was added. Either
    // way the change counter moves, so readers that resolved names through us reload.
    bool SetValue(const char* name, double value);
    // False for a name that the table lacks or could never hold (characters outside 32..127).
    bool Lookup(const char* name, double& value);

    int32_t GetChangeCount() const { return m_ChangeCount; }

private:
    int32_t m_ChangeCount = 0;
};
