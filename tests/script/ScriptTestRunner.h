// ScriptTestRunner: runs a script text on the calling thread and collects its value or its error.
#pragma once
#include "TestScriptGame.h"
#include "base/ErrorClass.h"
#include "script/ScriptReader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

struct ScriptOutcome {
    ScriptValue value;
    std::string error;  // empty when the run ended without one
};

// A loaded script bound to the test game and run.
inline ScriptOutcome ExecuteBound(ScriptReader& reader)
{
    ScriptOutcome outcome;
    TestScriptGame::Bind(reader);
    try {
        outcome.value = reader.Execute();
    } catch (const ErrorMsg& error) {
        outcome.error = error.message;
    }
    return outcome;
}

inline ScriptOutcome RunScriptText(ScriptReader& reader, const char* text)
{
    reader.SetThreaded(false);
    EXPECT_TRUE(reader.LoadInline(text));
    return ExecuteBound(reader);
}

// What a script is expected to give: a value of a type, or an error text (a part of the message).
struct ScriptExpect {
    int32_t type;
    double number;  // Int and Float results
    const char* text;  // String result, or the error for type -1
};

inline void CheckOutcome(const ScriptOutcome& outcome, const ScriptExpect& expect, const std::string& label)
{
    SCOPED_TRACE(label);
    if (expect.type < 0) {
        EXPECT_NE(outcome.error.find(expect.text), std::string::npos) << "error: " << outcome.error;
        return;
    }
    ASSERT_EQ(outcome.error, "");
    ASSERT_EQ(outcome.value.m_Type, expect.type);
    if (expect.type == kScriptInt) {
        EXPECT_EQ(outcome.value.m_Integer, static_cast<int32_t>(expect.number));
    } else if (expect.type == kScriptFloat) {
        EXPECT_NEAR(outcome.value.m_Number, expect.number, 1e-6 * (1 + std::fabs(expect.number)));
    } else if (expect.type == kScriptString) {
        EXPECT_STREQ(outcome.value.m_Text.c_str(), expect.text);
    }
}

constexpr int32_t kExpectError = -1;
