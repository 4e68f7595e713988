// ScriptCreaturesTestSupport: what the tests of the creature built-ins share: two creatures and
// a crate of the sample game placed apart, and a table row checker of a call's result type and
// value with its one script error or warning.
#pragma once
#include "ScriptFuncsTestSupport.h"

#include <string>

struct CreatureCase {
    std::string call;
    int32_t type;
    double number;         // Int or Float; ignored for other types
    const char* error;     // the one script error, or none
    const char* warning;   // the one warning, or none
    const char* text = nullptr;  // String
};

class ScriptCreaturesTest : public ScriptFuncsTest {
protected:
    ScriptCreaturesTest()
    {
        heroID = Place("Hero", 1280.0f, 1280.0f, "hero1");
        otherID = Place("Hero", 1400.0f, 1280.0f, "hero2");
        crateID = Place("Crate", 1280.0f, 1400.0f, "box");
        hero = static_cast<CreatureObj*>(Elem(heroID));
        other = static_cast<CreatureObj*>(Elem(otherID));
        h = std::to_string(heroID);
        o = std::to_string(otherID);
        c = std::to_string(crateID);
    }

    void Check(const CreatureCase& test)
    {
        LogCapture log;
        ExpectResult(test.call, test.type, test.number, test.text, test.error);
        if (test.warning) {
            EXPECT_EQ(log.Count(test.warning), 1) << test.call;
        }
    }
    void CheckAll(std::initializer_list<CreatureCase> cases)
    {
        for (const CreatureCase& test : cases)
            Check(test);
    }

    int32_t heroID = -1, otherID = -1, crateID = -1;
    CreatureObj* hero = nullptr;
    CreatureObj* other = nullptr;
    std::string h, o, c;  // the IDs as script text
};
