// WorldCtrl: the entry of every script text the world runs, the two world event queues and the
// event step that carries out what was posted: deaths with their kill scripts, uses, pick-ups,
// level changes, scripts and their re-entries, sounds, music, sequences and the end of the game.
//
// The step works off the first queue; whatever is posted meanwhile goes to the second and joins
// the first after the pass. An event due later waits in its slot. Nothing an event carries may
// end the step: a payload shorter than its type reads, a victim or element that is gone and an
// error raised while an event is carried out each drop that event alone.
#include "world/WorldCtrl.h"

#include "base/DXC_Base.h"
#include "world/GameCtrlInterface.h"
#include "world/KillValues.h"
#include "world/WorldElem.h"
#include "world/WorldEventPayloads.h"


int32_t WorldCtrl::RunScript(const String& text, WorldElemBase* elem, int32_t context, int32_t currentObj,
                             const char* label, int32_t callMode, int32_t flags)
{
    if (text.IsEmpty() || text == " ")
        return 0;
    GameCtrlInterface& ctrl = GetCtrl();
    const double start = ctrl.GetProfilingTime();
    const char* body = text.c_str();
    if (flags == ScriptReaderGameEngine::kNoRunFlags) {
        flags = body[0] == '@' ? 1 : 0;  // "@": the script runs on the game's behalf
        if (body[0] == '@')
            body++;
    }
    if (flags & 2)
        ctrl.ForwardScript(body);
    if (ctrl.CanRunScriptLocally(uint8_t(flags)))
        RunScriptText(String(body), elem, context, currentObj, label, uint8_t(callMode), uint8_t(flags));
    if (start > 0.0) {
        const double elapsed = ctrl.GetProfilingTime() - start;
        m_ScriptProfile.total += elapsed;
        if (elapsed > m_ScriptProfile.longest) {
            m_ScriptProfile.longest = elapsed;
            m_ScriptProfile.text.Format("%s: %s", label ? label : "", text.c_str());
        }
    }
    return 0;
}

void WorldCtrl::QueueEvent(const WorldEvent& event)
{
    DynaMem<WorldEvent, 4096, 1>& queue = m_EventQueues[m_CurrentQueue & 1];
    CopyEvent(*queue.GetBySlot(queue.Add()), event);
}

int32_t WorldCtrl::ProcessWorldEvents()
{
    GameCtrlInterface& ctrl = GetCtrl();
    const double now = ctrl.GetGameTime();
    int32_t result = 0;
    {
        // New events go to the second queue during the pass; the first is current again on every
        // way out.
        struct QueueScope {
            int32_t& current;
            ~QueueScope() { current = 0; }
        } queueScope{m_CurrentQueue};
        m_CurrentQueue = 1;
        DynaMem<WorldEvent, 4096, 1>& queue = m_EventQueues[0];
        for (int32_t slot = queue.NextUsedSlot(-1); slot >= 0; slot = queue.NextUsedSlot(slot)) {
            WorldEvent* event = queue.GetBySlot(slot);
            if (!event || event->time > now)
                continue;
            int32_t code = 0;
            bool done = true;
            try {
                done = HandleWorldEvent(*event, code);
            } catch (const ErrorMsg& error) {  // one bad event must not stop the game: it is dropped
                LogScriptError("WorldCtrl Error", error.message);
            } catch (const DXC_Error& error) {
                LogScriptError("WorldCtrl Error", error.message);
            }
            if (code != 0)
                result = code;
            if (done && queue.GetBySlot(slot) == event)  // a script may have dropped it already
                queue.Delete(slot);
        }
    }
    DynaMem<WorldEvent, 4096, 1>& raised = m_EventQueues[1];
    for (int32_t slot = raised.NextUsedSlot(-1); slot >= 0 && raised.GetSize() > 0; slot = raised.NextUsedSlot(slot))
        if (WorldEvent* event = raised.GetBySlot(slot))
            ctrl.AddGameEvent(event);
    raised.DeleteAll();
    return result;
}

bool WorldCtrl::DropShortEvent(const WorldEvent& event)
{
    Warning("World event %i: payload of %i bytes is too short", event.type, event.size);
    return true;
}

bool WorldCtrl::HandleWorldEvent(const WorldEvent& event, int32_t& code)
{
    code = 0;
    GameCtrlInterface& ctrl = GetCtrl();
    switch (event.type) {
    case WorldEventType::kKill:
        return HandleKillEvent(event);
    case WorldEventType::kUse: {
        UseEventRecord use;
        if (!use.Read(event))
            return DropShortEvent(event);
        if (use.typeCode == ElemType::kWall) {
            if (!IsValidWall(use.objID)) {
                Warning("Use event of invalid wall: %i", use.objID);
                return true;
            }
            VSD_Viewer::GetWall(use.objID)->OnUse(0, use.value, 1);
        } else {
            WorldElem* elem = GetObjSafe(use.objID, "use event", true);
            if (elem)
                ctrl.UseObject(elem, use.value, 1);
        }
        return true;
    }
    case WorldEventType::kPickup: {
        PickupRecord pickup;
        if (!pickup.Read(event))
            return DropShortEvent(event);
        ctrl.ProcessPickupEvent(pickup, 0);
        return true;
    }
    case WorldEventType::kLevelChange: {
        if (!ctrl.MayChangeLevel())
            return false;
        LevelChangeRecord change;
        if (!change.Read(event))
            return DropShortEvent(event);
        String::CopySized(m_LevelChangeName, sizeof m_LevelChangeName, change.levelName);
        m_LevelChangeValue = change.startNumber;
        m_LevelChangeText = change.startName;
        code = 1;  // the controller changes the level to these
        AddLogMessage(ctrl.GetGuiDBText("loadingscreen", "loadinglevel", nullptr), 4.0f, false);
        return true;
    }
    case WorldEventType::kScript: {
        ScriptEventRecord script;
        if (!script.Read(event))
            return DropShortEvent(event);
        for (int32_t i = 0; i < ScriptEventRecord::kObjVariables; i++)
            ctrl.SetObjScriptVariable(i, script.objVariables[i]);
        WorldElemBase* elem = GetObjByIdentifierChecked(script.elem);  // gone: the script runs without
        RunScript(String(script.text), elem, 1, script.currentObj, script.label, 1, script.runFlags);
        return true;
    }
    case WorldEventType::kReenter: {
        IDEventRecord reenter;
        if (!reenter.Read(event))
            return DropShortEvent(event);
        ExecuteScript(reenter.id, 1, 1);
        return true;
    }
    case WorldEventType::kNothing:
        return true;
    case WorldEventType::kSound: {
        SoundEventRecord sound;
        if (!sound.Read(event))
            return DropShortEvent(event);
        if (sound.positional)
            PlaySoundAt(sound.name, sound.x, sound.y, GetObjSafe(sound.sourceID, nullptr, false), sound.parameter);
        else
            PlaySound(sound.name, 0.0f, false, true);
        return true;
    }
    case WorldEventType::kMusic: {
        MusicEventRecord music;
        if (!music.Read(event))
            return DropShortEvent(event);
        if (music.mode == -1)
            SetMusic(music.name);
        else if (music.mode == 0)
            ctrl.PlayMusic(music.name, 1.0f, 1.0f, 1, music.fade);
        else
            ctrl.PlayAmbientMusic(music.name, music.fade);
        return true;
    }
    case WorldEventType::kElementCall: {
        IDEventRecord call;
        if (!call.Read(event))
            return DropShortEvent(event);
        if (WorldElem* elem = GetObjSafe(call.id, nullptr, false))
            elem->OnCallEvent(0);
        return true;
    }
    case WorldEventType::kSequence: {
        SequenceEventRecord sequence;
        if (!sequence.Read(event))
            return DropShortEvent(event);
        for (char* c = sequence.name; *c; c++)
            if (*c == '/')
                *c = '\\';
        static const char kPrefix[] = "sequences\\seq";  // the digit after it numbers the video
        const String name(sequence.name);
        const char digit = sequence.name[sizeof kPrefix - 1];
        if (name.TextLength() > 14 && name.StartsWithNoCase(kPrefix) && digit >= '0' && digit <= '9')
            ctrl.LoadGameSaveData(digit - '0');
        return true;
    }
    case WorldEventType::kGameEnd:
    case WorldEventType::kGameEndByte: {
        ByteEventRecord end;
        if (!end.Read(event))
            return DropShortEvent(event);
        if (event.type == WorldEventType::kGameEnd)
            code = end.value == 1 ? 3 : end.value == 2 ? 5 : 2;
        else
            code = end.value == 0 ? 6 : 4;
        return true;
    }
    default:
        return ctrl.HandleWorldEvent(event);
    }
}

bool WorldCtrl::HandleKillEvent(const WorldEvent& event)
{
    KillEventRecord kill;
    if (!kill.Read(event))
        return DropShortEvent(event);
    WorldElem* victim = GetObjByIdentifier(kill.victim);
    if (!victim) {
        Warning("Kill event of a vanished element: %i", kill.victim.objID);
        return true;
    }
    if (!victim->IsCreature())
        Error("Internal error: none-creature in kill event");
    const WorldElem* killer = GetObjByIdentifier(kill.killer);
    const int32_t killerID = killer ? killer->m_ObjID : -1;
    if (victim->GetMovementForcePriority() >= 101)
        return false;  // thrown by a forced movement: the death waits until it ends

    KillValues* values = victim->GetKillValues();
    if (values && values->killHandled)
        return true;
    if (values && values->deathDelay > 0.0f)
        values->deathDelay = 0.0f;
    SmartPtr<WorldElem> alive(victim);  // a kill script may delete the victim
    if (values && !victim->IsDead()) {
        RunKillScript(*victim, values->onKill, "OnKill:%s", killerID);
        if (alive.Get() && (values = victim->GetKillValues()) != nullptr)
            RunKillScript(*victim, values->onKill2, "OnKill2:%s", killerID);
    }
    if (!alive.Get())
        return true;
    values = victim->GetKillValues();
    if (!values || values->deathDelay <= 0.0f) {  // a kill script may have put the death off
        victim->PlaySoundByIndex(0, -1);
        victim->Die();
    }
    return true;
}

void WorldCtrl::RunKillScript(WorldElem& victim, const String& script, const char* labelFormat, int32_t killerID)
{
    if (script.IsEmpty())
        return;
    const String text(script);  // the script may give the victim another kill script
    GetCtrl().SetObjScriptVariable(1, killerID);
    String label;
    label.Format(labelFormat, String(victim.m_Name).c_str());
    RunScript(text, &victim, 1, 1, label.c_str(), 1, 255);
}

void WorldCtrl::CheckLevelActionEntries()
{
    std::vector<String> names;
    for (int32_t slot = m_Elements.NextUsedSlot(-1); slot >= 0; slot = m_Elements.NextUsedSlot(slot)) {
        WorldElem* elem = m_Elements.GetBySlot(slot);
        if (!elem || !elem->IsCreature())
            continue;
        names.clear();
        elem->CollectActionNames(names);
        for (const String& name : names)
            FindActionEntry(name.c_str(), true);
    }
}
