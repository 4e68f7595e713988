// ScriptFuncsTestSupport: what the tests of the built-in script functions share: a controller on
// the sample game's level with the built-ins installed, which runs a script text and records what
// the built-ins hand on: script errors, screen messages, calls forwarded to the clients and AI
// actions started; with elements of the sample game placed by name and world ID. The recording
// controller and the test are templates over the controller class, so that a game's own
// controller runs under the same harness.
#pragma once
#include "base/Log.h"
#include "game/ctrl/GameCtrl.h"
#include "game/objects/CreatureObj.h"
#include "game/objects/KI_ScriptActionParams.h"
#include "game/scriptfuncs/ScriptCall.h"
#include "game/scriptfuncs/ScriptGame.h"
#include "world/WorldCtrl.h"
#include "world/ScriptReaderGameEngine.h"
#include "world/WorldElem.h"
#include "world/WorldEvent.h"
#include "world/InventoryItem.h"

#include "game/ctrl/GameCtrlTestSupport.h"
#include "game/ctrl/WorldObjectTestSupport.h"
#include "support/ErrorOf.h"
#include "support/FixtureRoot.h"
#include "support/LogCapture.h"
#include "support/ScopedGfx.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

// Base: SampleGameCtrl, or a game's controller with the same sample loading.
template <class Base> class BasicScriptTestCtrl : public Base {
public:
    // One call handed to the clients.
    struct Forwarded {
        std::string name;
        int32_t count = 0;
        int32_t subjectID = -1;  // -1: none
        int32_t checkSubject = 0;
        int32_t flag = 0;
    };
    struct ScreenMessage {
        std::string text;
        float duration = 0.0f;
    };
    struct AIAction {
        int32_t creatureID = -1;
        KI_ScriptActionParams params;
        int32_t targetID = -1;  // -1: none
        bool add = false;
    };

    void RunScriptFunctionAtClients(const char* name, const ScriptValue* arguments, int32_t count, WorldElem* subject,
                                    int32_t checkSubject, int32_t flag) override
    {
        (void)arguments;
        forwarded.push_back({name, count, subject ? subject->m_ObjID : -1, checkSubject, flag});
        if (onForward)
            onForward();
    }
    std::function<void()> onForward;  // sees the game as it stands when the call is handed on
    void ShowMessage(float duration, const char* format, ...) override
    {
        char text[8192];
        va_list args;
        va_start(args, format);
        std::vsnprintf(text, sizeof text, format, args);
        va_end(args);
        messages.push_back({text, duration});
    }
    void ShowErrorMessage(const char* text) override { errors.push_back(text ? text : ""); }
    void StartScriptAIAction(CreatureObj& creature, const KI_ScriptActionParams& params, WorldElem* target,
                             bool add) override
    {
        aiActions.push_back({creature.m_ObjID, params, target ? target->m_ObjID : -1, add});
    }
    // "Probe" runs the test's own code inside the running script.
    void ExecuteScriptFunction(ScriptValue& result, const char* name, ScriptValue* arguments, int32_t count,
                               int32_t fromNetwork) override
    {
        if (probe && std::string(name) == "Probe") {
            result = ScriptValue();
            probe(result, arguments, count);
            return;
        }
        Base::ExecuteScriptFunction(result, name, arguments, count, fromNetwork);
    }
    bool IsNetworkGame() override { return networkGame; }
    MobData* GetMob(int32_t mobNumber) override
    {
        const auto found = mobs.find(mobNumber);
        return found == mobs.end() ? nullptr : found->second;
    }

    // Inventories and items: drops (the controller lays them into the world),
    // received-item and gold notices, inventory windows and the game events posted.
    struct Drop {
        std::string desc;
        int32_t count = 0;
        int32_t atID = -1;
        float distance = 0.0f;
    };
    struct Event {
        uint16_t type = 0;
        std::vector<uint8_t> payload;
    };
    int32_t DropItem(InventoryItem* item, Inventory* inventory, WorldElem* elem, float distance, float angle,
                     float spread) override
    {
        if (item)
            drops.push_back({item->m_Desc.c_str(), item->m_Count, elem ? elem->m_ObjID : -1, distance});
        return Base::DropItem(item, inventory, elem, distance, angle, spread);
    }
    void OnItemReceived(int32_t count, const wString& name) override
    {
        received.push_back({std::string(String(name).c_str()), count});
    }
    void OnGoldReceived(int32_t amount, int32_t flag) override { goldReceived.push_back({amount, flag}); }
    int32_t ShowInventory(WorldElem* object, int32_t flag, const char* textA, const char* textB) override
    {
        shownInventories.push_back({object ? object->m_ObjID : -1, std::string(textA ? textA : "") + "|" +
                                                                       std::string(textB ? textB : "")});
        return Base::ShowInventory(object, flag, textA, textB);
    }
    void AddGameEvent(const WorldEvent* event) override
    {
        if (event)
            events.push_back({event->type, std::vector<uint8_t>(event->payload.get(),
                                                                event->payload.get() + std::max(event->size, 0))});
        Base::AddGameEvent(event);
    }
    std::vector<Drop> drops;
    std::vector<std::pair<std::string, int32_t>> received;
    std::vector<std::pair<int32_t, int32_t>> goldReceived;
    std::vector<std::pair<int32_t, std::string>> shownInventories;
    std::vector<Event> events;

    // The creature built-ins: whether the controller answers as the network game server, and
    // the mana costs it is told of in that role.
    bool IsNetworkGameServer() const override { return networkServer; }
    void ReportManaUse(WorldElem* creature, float cost) override
    {
        (void)creature;
        manaReports.push_back(cost);
    }
    bool networkServer = false;
    std::vector<float> manaReports;

    std::vector<Forwarded> forwarded;
    std::vector<ScreenMessage> messages;
    std::vector<std::string> errors;
    std::vector<AIAction> aiActions;
    std::map<int32_t, MobData*> mobs;
    std::function<void(ScriptValue& result, ScriptValue* arguments, int32_t count)> probe;
    bool networkGame = false;  // the answer of the network-game test
};

using ScriptTestCtrl = BasicScriptTestCtrl<SampleGameCtrl>;

// The sample game with its level loaded, the built-ins installed.
template <class Ctrl> class BasicScriptFuncsTest : public ::testing::Test {
protected:
    BasicScriptFuncsTest() : ctrl(m_Game.ctrl), level(m_Game.level)
    {
        ScriptGame::Install(*ctrl);
        g_NumberOfDigits = 2;
    }
    ~BasicScriptFuncsTest() override { g_NumberOfDigits = 2; }

    // A sample game element at (x, y) with a world ID (none when empty); its object ID.
    int32_t Place(const char* type, float x, float y, const char* worldID = "")
    {
        const D3DXVECTOR2 at(x, y);
        WorldElem* elem = ctrl->CreateWorldObject(type, nullptr, true, true, true, false, 0.0f, &at, 0.0f, nullptr, -1);
        EXPECT_NE(elem, nullptr) << type;
        if (!elem)
            return -1;
        elem->m_WorldID = worldID;
        return elem->m_ObjID;
    }
    WorldElem* Elem(int32_t id) { return ctrl->GetWorld().GetObjNoCheck(id, false); }

    // Runs the text as a script of its own; its result.
    ScriptValue Run(const std::string& text)
    {
        ctrl->GetWorld().RunScript(String(text.c_str()), nullptr, 1, 0, "test", 1, 255);
        return ctrl->GetWorld().GetScriptResult();
    }
    // The result of one expression.
    ScriptValue Eval(const std::string& expression) { return Run("return " + expression + ";"); }
    // Whether an error text holds the text.
    int32_t ErrorsWith(const std::string& text) const
    {
        int32_t n = 0;
        for (const std::string& error : ctrl->errors)
            n += error.find(text) != std::string::npos;
        return n;
    }
    // Evaluates the expression afresh: its result type, its value for an Int, a Float or a String,
    // and the one script error it made (none when error is null).
    void ExpectResult(const std::string& call, int32_t type, double number, const char* text, const char* error)
    {
        ClearRecords();
        const ScriptValue result = Eval(call);
        EXPECT_EQ(result.m_Type, type) << call;
        if (type == kScriptInt) {
            EXPECT_EQ(result.m_Integer, int32_t(number)) << call;
        } else if (type == kScriptFloat) {
            EXPECT_FLOAT_EQ(float(result.m_Number), float(number)) << call;
        } else if (type == kScriptString) {
            EXPECT_STREQ(result.m_Text.c_str(), text ? text : "") << call;
        }
        EXPECT_EQ(ctrl->errors.size(), error ? 1u : 0u) << call;
        if (error) {
            EXPECT_EQ(ErrorsWith(error), 1) << call;
        }
    }
    void ClearRecords()
    {
        ctrl->errors.clear();
        ctrl->forwarded.clear();
        ctrl->messages.clear();
        ctrl->aiActions.clear();
        ctrl->drops.clear();
        ctrl->received.clear();
        ctrl->goldReceived.clear();
        ctrl->shownInventories.clear();
        ctrl->events.clear();
    }

private:
    BasicSampleGame<Ctrl> m_Game;

protected:
    std::unique_ptr<Ctrl>& ctrl;
    const std::string& level;  // the level load's error, "no error"
};

using ScriptFuncsTest = BasicScriptFuncsTest<ScriptTestCtrl>;

// Typed values for the tables of cases.
inline ScriptValue IntValue(int32_t value)
{
    ScriptValue v;
    v.SetInt(value);
    return v;
}
inline ScriptValue FloatValue(double value)
{
    ScriptValue v;
    v.SetFloat(value);
    return v;
}
inline ScriptValue TextValue(const char* text)
{
    ScriptValue v;
    v.SetString(text);
    return v;
}
