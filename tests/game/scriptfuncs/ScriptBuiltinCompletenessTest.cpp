// ScriptBuiltinChain: every built-in of both name chains reaches a branch of its chain, none ends in
// "Unknown function '%s' accepting %i arguments". The lists are the chains' names as the script
// library documents them: the first chain's, then the second chain's in its order of comparison.
#include "game/scriptfuncs/ScriptBuiltinChain.h"

#include <gtest/gtest.h>

#include <cctype>
#include <iterator>
#include <string>
#include <vector>

namespace {

const char* const kFirstChain[] = {
    "GetObject", "GetWall", "GetLight", "GetCfgObject", "GetNameObject", "GetMobID", "GetParent", "GetWallObject",
    "GetWallParent", "GetWallChildren", "GetChild", "GetNumChilds", "GetCreator", "GetCfgID", "GetWallCfgID",
    "GetWorldID", "GetWallWorldID", "GetName", "GetObjectType", "GetParty", "GetSolid", "GetMass", "GetSize",
    "GetWallSolid", "GetCanMoveThroughFlags", "GetSpecialMark", "GetInitTime", "GetLifeSpan", "GetFadeOutValue",
    "GetObjectFloat", "GetObjectString", "GetWallFloat", "GetWallString", "GetObjectSound", "GetUseState",
    "GetWallUseState", "GetScale3D", "GetRotAxisAngle", "GetPosX", "GetPosY", "GetPosLocalX", "GetPosLocalY",
    "GetHeight", "GetAngle", "GetAngleWorld", "GetCenterObjectX", "GetCenterObjectY", "GetCenterObjectZ",
    "GetAngleFront", "GetRotSpd", "GetConstantRotation", "GetMoveSpd", "GetPathMoveSpd", "GetAcStart", "GetIsFlying",
    "GetWallPos", "Distance", "DistanceFromLine", "AngleDistance", "GetIntersection", "GetFloorHeight",
    "GetPointPosition", "GetAllObjectsWithCfgID", "GetAllObjectsWithinRadius", "GetAllWallsWithinRadius",
    "GetAllObjectsInLine", "GetAllCreaturesAttacking", "GetAllCreaturesInMob", "GetAllObjectsWithWorldID",
    "GetAllWallsWithWorldID", "GetAllLightsWithWorldID", "GetAllObjectsWithParty", "GetSummonedCreatures",
    "GetAllItemsInInventory", "GetNumberOfCreatures", "GetNumberOfAliveCreatures", "GetNearestObjectWithCfgID",
    "GetNearestCreature", "GetNearestEnemy", "GetNearestObjectWithMass", "AddToInventory", "DropFromInventory",
    "EmptyInventory", "DropInventory", "GetNumberOfItemsInInventory", "GetItemUses", "GetUses", "GetNeedKey",
    "GetGold", "AddGold", "GetAITarget", "GetAITargetPosX", "GetAITargetPosY", "GetStrategy", "GetLastEnemy",
    "AlertEnemy", "DoAction", "ClearAI", "ClearAction", "GetForcePriority", "GetTotalDamageSinceLastAIReassess",
    "GetCombatMode", "DrawWeapon", "CallMobScript", "GetHealth", "GetMana", "DamageDirect", "AddInfluence",
    "AddItemInfluence", "GetImmortal", "GetDieCycle", "GetAniCycleTime", "GetAniTime", "GetAniSpeed",
    "GetCreatureMesh", "GetCreatureTexture", "GetEffectDuration", "GetExperience", "AddExperience",
    "GetCharacterLevel", "GetMonsterLevel", "GetMightFromMonsterLevel", "GetProjectileMaxDist",
    "GetMobFloatVariable", "GetRandomNumber", "GetRandomIntNumber", "AddObject", "AddEffect", "AddWall",
    "ActivateEvent", "Event", "FadeIn", "FadeOut", "FadeInWall", "FadeOutWall", "FadeInLight", "FadeOutLight",
    "FadeOutWorld", "EarthQuake", "CoverMap", "AdjustVisibility", "EnablePostRenderEffect",
    "DisablePostRenderEffect", "AllowXMove", "GetTime", "GetGameTime", "GetTimeElapsed", "GetCfgConstant",
    "GetStory", "GetNumPlayers", "GetNumberOfDigits", "GetLevelName", "GetLevelID", "GetLevelProgressID",
    "GetGameDifficulty", "GetGameSpeed", "GetGameMode", "GetLanguage", "GetLocalTimeString", "DisableInput",
    "EnableInput", "CloseGui", "AddToSelectMenu", "CloseSelectMenu", "CopyToClipboard", "Error", "CountDown",
    "AlignCameraToHero", "AutoSave", "ExitProgram", "FreeUnusedSounds", "FreeUnusedFloorTex", "FreeUnused3dObjs",
    "FreeUnused3dCreatures", "FreeUnusedEffects", "GetCameraAngle", "GetCameraPitch", "GetCameraTargetDistance",
    "GetCameraTargetHeight", "GetFOV_hor", "GetFOV_ver", "GetCountDown",
};

const char* const kSecondChain[] = {
    "IsAniLooped", "LogToFile", "SetStory", "SetMobFloatVariable", "RemoveFromInventory", "RemoveQuestItems",
    "HasKey", "TransferFromInventory", "ShowInventory", "ShowRiddleInventory", "Use", "UseWall", "LoadLevel",
    "PlaySound", "Speak", "SetGameSpeed", "IsMCDead", "IsEnemy", "IsDead", "SetPos", "SetHeight", "SetKnockBackSpd",
    "KnockBack", "KnockDown", "SetAngle", "SetObjectSound", "IsInInventory", "IsInObject", "IsValidObject",
    "IsValidWall", "IsProjectile", "IsValidWorldID", "SetOpacity", "SetSize", "SetVSize", "SetObjectOpacity",
    "SetObjectShader", "RunScript", "RunScriptAtClient", "RequestRunScript", "SetAIStartEndAction",
    "SetAIMaxApproach", "SetAIZigZag", "SetAITarget", "SetLastEnemy", "SetLastTargetPos", "SetActionProperties",
    "IsCreature", "SetSolid", "SetRotateWithPath", "SetPathInterpolation", "SetMass", "SetFloorObject",
    "SetBlendType", "SetFadeOutIfInView", "SetWallCanSeeThrough", "SetWallSolid", "SetWallOpacity", "SetWallNeedKey",
    "SetWallPos", "Kill", "SetLifeSpan", "SetLightLifeSpan", "SetActive", "SetUseState", "SetAutoAction",
    "SetAcStart", "SetItemUses", "SetItemOnUse", "SetItemName", "SetItemOnTransfer", "SetUses", "SetWallDoor",
    "SetObjectAni", "SetLoopAni", "SetAniTime", "SetAniSpeed", "SetEventCount", "SetPathMoveSpd", "SetPathLoop",
    "SetPathOrigin", "SetMovePath", "SetPathGotoTime", "SetPathTime", "SetName", "SetWorldID", "SetWallWorldID",
    "SetParty", "SetParent", "SetWallParent", "SetNeedKey", "SetHealth", "SetMana", "SetColor", "SetColorAdd",
    "SetImmortal", "RemoveInfluence", "IsInfluenced", "RemoveForcedActions", "RemoveKnockBack", "SetSummonedBy",
    "SetOnHeroDie", "SetOnKill", "SetOnAction", "SetOnUse", "SetInfoText", "SetOnDamage", "SetOnInit",
    "SetOnActivate", "SetOnCollision", "SetWallVisibilityObstruct", "SetWallOnCollision", "SetWallOnLeave",
    "SetWallOnUse", "SetWallOnFailedUse", "SetObjectFloat", "SetObjectFloat_nt", "SetObjectString", "SetWallFloat",
    "SetWallString", "SetScale3D", "SetRotAxisAngle", "SetGlowType", "SetLevelMusic", "PlayMusic",
    "PlayAmbientMusic", "PlaySpecialMusic", "RefillHealth", "RefillMana", "NewGameVariable", "NewLevelVariable",
    "Wait", "RequestItemUse", "RequestKeyUse", "ReAssessAI", "SetNumberOfDigits", "SetGuiColor", "SetAIEvent",
    "Vect2Angle", "SetPickUp", "SetHighlight", "SetXPReceiver", "IsObjectOnScreen", "IsPositionWithinActiveArea",
    "SetEffBy", "SetWallEffBy", "SetProjectileMaxDist", "PickUp", "TransformByFunction", "SetLightCol",
    "SetLevelAmbientCol", "SetLevelDiffuseCol", "IsNetworkGameRunning", "IsNetworkGameServer",
    "IsLineClearBetweenObjs", "RemoveObject", "RemoveChildren", "RemoveLight", "RemoveWall", "SetCameraMode",
    "SetCameraView", "PlayAniCycle", "Revive", "SetCameraViewTarget", "SetGameMode", "SetMoveSpd", "SetAniCycleTime",
    "SetRotSpd", "SetWallUseState", "Shoot", "SetExperience", "SetExperienceGain", "SetBoredCycle", "SetCreator",
    "SetReceiveDamage", "SetInventoryType", "SetActForce", "ShowBook", "SubTitleLength", "SubTitle", "SetDebugMode",
    "PreloadObject", "PreloadSound", "PreloadEffect", "PreloadFile", "IsValidLevelVariable", "IsValidGameVariable",
    "SelectMenu", "NotifyNoMana", "SetCreatureMesh", "SetCreatureTexture", "SetCombatMode", "SetStrategyID",
    "SetStrategy", "SetConstantRotation", "SetCanMoveThroughFlags", "UncoverMap", "SetSpecialMark", "SetAngleFront",
    "SaveMiniMap", "PlayVideo", "RequestDoNotDrawFrame", "SetPause", "RestartGame", "SetMaxFPS", "SetMinFPS",
    "SetShowFPS", "SetInteractiveScenePos", "RotateObjOnPlatform", "SetFloorSize", "SetRandomSeed", "SaveInventory",
    "LoadInventory", "ResetLevel", "SaveGame", "IsBossFight", "SetImmunity", "SetAnicycleHeightCurve", "SetIsFlying",
    "SetIsDead", "SetStartLevel", "WasConsoleUsed", "ScreenShot", "IsDebugMode", "SetCharacterLevel", "SetDieCycle",
    "SetOnUpdate", "SetGlobalVolume", "SetGameDifficulty", "SetMonsterLevel",
};

// The names of the list that the chain does not hold.
template <size_t N> std::vector<std::string> Missing(const ScriptBuiltinChain& chain, const char* const (&names)[N])
{
    std::vector<std::string> missing;
    for (const char* name : names)
        if (!chain.Find(name))
            missing.push_back(name);
    return missing;
}

std::string Join(const std::vector<std::string>& names)
{
    std::string text;
    for (const std::string& name : names)
        text += name + " ";
    return text;
}

}  // namespace

// Each list belongs to its chain by the first letter, and the second holds its 230 names.
TEST(ScriptBuiltinCompletenessTest, ListsBelongToTheirChains)
{
    EXPECT_EQ(std::size(kSecondChain), 230u);
    for (const char* name : kFirstChain)
        EXPECT_LT(std::toupper(static_cast<unsigned char>(name[0])), 'H') << name;
    for (const char* name : kSecondChain)
        EXPECT_GE(std::toupper(static_cast<unsigned char>(name[0])), 'H') << name;
}

TEST(ScriptBuiltinCompletenessTest, EveryBuiltinReachesABranch)
{
    const std::vector<std::string> first = Missing(ScriptBuiltinChain::AtoG(), kFirstChain);
    const std::vector<std::string> second = Missing(ScriptBuiltinChain::HtoZ(), kSecondChain);
    EXPECT_TRUE(first.empty()) << first.size() << " missing: " << Join(first);
    EXPECT_TRUE(second.empty()) << second.size() << " missing: " << Join(second);
}
