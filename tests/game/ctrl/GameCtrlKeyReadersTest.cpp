// GameCtrl key readers: each record filled from one entry, the keys an entry lacks left alone,
// the defaults and conversions the readers apply.
#include "game/ctrl/GameCtrl.h"

#include "game/ctrl/ShotRepeat.h"
#include "game/objects/AreaEffect.h"
#include "level/IlluminationData.h"
#include "world/ActionEntryBase.h"
#include "world/DamageEntry.h"
#include "world/HitEffects.h"

#include "GameCtrlTestSupport.h"

#include <gtest/gtest.h>

TEST(GameCtrlKeyReadersTest, Illumination)
{
    GameCtrl ctrl;
    ConfigFileReader reader;
    OpenText(reader, "#1\nIllumCol = 1, 0.5, 0\nFixIllum = 0\nAmbiIllum = 0.5\nConstantIllum = 300\n"
                     "IllumDir = 0, 1, -1\nNotIllumBy = \"torch\"\n"
                     "#2\nFixIllum = 0.5\nAmbiIllum = 1.002\n"
                     "#3\n");
    IlluminationData light;
    ctrl.ReadIllumination(reader, light, 0);
    EXPECT_EQ(light.colour, 0xFFFF8000u);  // 255, 128, 0 and alpha 255
    EXPECT_EQ(light.fixedIllum, 1);         // set by the colour despite "FixIllum" 0
    EXPECT_EQ(light.ambient, 128);
    EXPECT_EQ(light.constantIllum, 44);  // one byte kept
    EXPECT_EQ(light.direction[1], 1.0f);
    EXPECT_EQ(light.direction[2], -1.0f);
    EXPECT_STREQ(light.notIllumBy.c_str(), "torch");

    IlluminationData second;
    ctrl.ReadIllumination(reader, second, 1);
    EXPECT_EQ(second.fixedIllum, 1);  // 0.5 rounds away from zero
    EXPECT_EQ(second.ambient, 0);     // 256 keeps its low byte
    EXPECT_EQ(second.colour, 0xFF000000u);

    ctrl.ReadIllumination(reader, light, 2);  // no keys: nothing changes
    EXPECT_EQ(light.colour, 0xFFFF8000u);
    EXPECT_EQ(light.ambient, 128);
    EXPECT_STREQ(light.notIllumBy.c_str(), "torch");
}

TEST(GameCtrlKeyReadersTest, DamageEntryAndHitEffects)
{
    GameCtrl ctrl;
    ConfigFileReader reader;
    OpenText(reader, "#1\nangle = 90\ndirection = -45\nknockback = 1, 2\ndamFromTo = 10, 20\nslow = 0.5, 0.25\n"
                     "HitAll = 1\nserialNumber = 4000000000\nPrecisionPenalty = 0.3\nonDamage = \"hurt()\"\n"
                     "#2\nstun = 3, 4\n"
                     "#3\nknockdown = 2\nstunTime = 1.5\nEnterHitCycle = 0.5\nfreeze = 7\n"
                     "#4\nEnterHitCycle = 0.4\n");
    DamageEntry damage;
    ctrl.ReadDamageEntry(reader, 0, &damage);
    EXPECT_FLOAT_EQ(damage.angle, 1.5707963f);
    EXPECT_FLOAT_EQ(damage.direction, -0.78539815f);
    EXPECT_EQ(damage.knockback[1], 2.0f);
    EXPECT_EQ(damage.damFromTo[0], 10.0f);
    EXPECT_EQ(damage.slow[1], 0.25f);
    EXPECT_EQ(damage.hitAll, 1);
    EXPECT_EQ(damage.serialNumber, 4000000000u);
    EXPECT_FLOAT_EQ(damage.precisionPenalty, 0.3f);
    EXPECT_STREQ(damage.onDamage.c_str(), "hurt()");

    ctrl.ReadDamageEntry(reader, 1, &damage);  // without "angle" the old value stays
    EXPECT_FLOAT_EQ(damage.angle, 1.5707963f);
    EXPECT_EQ(damage.stun[0], 3.0f);
    EXPECT_EQ(damage.knockback[0], 1.0f);

    HitEffects hit;
    ctrl.ReadHitEffects(reader, 2, &hit);
    EXPECT_EQ(hit.knockdown, 2.0f);
    EXPECT_EQ(hit.stunTime, 1.5f);
    EXPECT_EQ(hit.freeze, 7.0f);
    EXPECT_EQ(hit.enterHitCycle, 1);
    ctrl.ReadHitEffects(reader, 3, &hit);
    EXPECT_EQ(hit.enterHitCycle, 0);
    ctrl.ReadHitEffects(reader, 0, nullptr);  // a type without hit effects
}

TEST(GameCtrlKeyReadersTest, ShotRepeatAndPartKeys)
{
    GameCtrl ctrl;
    ConfigFileReader reader;
    OpenText(reader, "#1\nRepeatPointOffset = 0.2\nStartOffsetOffset = 5, 6\npoint = 0.4\nCallScript = \"fire()\"\n"
                     "sndHit = \"clang\"\ndamIncreaseFactor = 2, 0.5\ndamIncreaseBase = 3\nStartOffset = 10, -10\n"
                     "DamFactorScript = \"f()\"\n"
                     "#2\nRepeatCount = 3\nRepeatPointOffset = 0.1\nRepeatDirectionOffset = 180\n"
                     "StartOffsetOffset = 5, 6\n");
    ActionEntryBase part;
    ShotRepeat repeat;
    repeat.count = 9;
    repeat.pointOffset = 4.0f;
    ctrl.ReadShotRepeat(part, repeat, reader, 0);
    EXPECT_EQ(repeat.count, 1);  // reset, and the offsets ignored without "RepeatCount"
    EXPECT_EQ(repeat.pointOffset, 0.0f);
    EXPECT_EQ(repeat.startOffsetOffset[0], 0.0f);
    EXPECT_FLOAT_EQ(part.point, 0.4f);
    EXPECT_STREQ(part.callScript.c_str(), "fire()");
    EXPECT_STREQ(part.sndHit.c_str(), "clang");
    EXPECT_EQ(part.damIncreaseFactor[0], 2.0f);
    EXPECT_EQ(part.damIncreaseFactor[1], 0.5f);
    EXPECT_EQ(part.damIncreaseBase, 3.0f);
    EXPECT_EQ(part.startOffset[1], -10.0f);
    EXPECT_STREQ(part.damFactorScript.c_str(), "f()");

    ActionEntryBase fresh;
    ctrl.ReadShotRepeat(fresh, repeat, reader, 1);
    EXPECT_EQ(repeat.count, 3);
    EXPECT_FLOAT_EQ(repeat.pointOffset, 0.1f);
    EXPECT_FLOAT_EQ(repeat.directionOffset, 3.1415925f);
    EXPECT_EQ(repeat.startOffsetOffset[1], 6.0f);
    EXPECT_EQ(fresh.point, 1.0f);  // the part's defaults stay
    EXPECT_EQ(fresh.damIncreaseBase, -1000.0f);
    EXPECT_EQ(fresh.index, -1);
}

TEST(GameCtrlKeyReadersTest, AreaEffect)
{
    GameCtrl ctrl;
    ConfigFileReader reader;
    OpenText(reader, "#1\nEffByParty1 = 2\nEffByParty3 = 4\nonActivate = \"boom()\"\nEffByID = \"Hero\"\n"
                     "ActivationTime = 1.5\nActivateOnExit = 1\nDamageEnter = 10\nDamageFallOff = 0.7\n"
                     "DamagePerTime = 3\nstun = 2\n"
                     "#2\ncount = 5\nEffByParty1 = 1\nEffByParty2 = 2\nEffByParty3 = 3\nEffByParty4 = 4\n"
                     "EffByParty5 = 5\n");
    HitEffects hit;
    AreaEffect effect;
    effect.count = 7;
    effect.hitEffects = &hit;
    ctrl.ReadAreaEffect(reader, 0, effect);
    EXPECT_EQ(effect.count, 1);  // without "count"
    EXPECT_EQ(effect.effByParty[0], 2);
    EXPECT_EQ(effect.effByParty[1], -999);
    EXPECT_EQ(effect.effByParty[2], -999);  // after the gap at 2 nothing is read
    EXPECT_STREQ(effect.onActivate.c_str(), "boom()");
    EXPECT_STREQ(effect.effByID.c_str(), "Hero");
    EXPECT_EQ(effect.activationTime, 1.5f);
    EXPECT_EQ(effect.activateOnExit, 1);
    EXPECT_EQ(effect.damageEnter, 10.0f);
    EXPECT_FLOAT_EQ(effect.damageFallOff, 0.7f);
    EXPECT_EQ(effect.damagePerTime, 3.0f);
    EXPECT_EQ(hit.stun, 2.0f);  // the hit effects of the same entry

    AreaEffect four;
    ctrl.ReadAreaEffect(reader, 1, four);  // no hit-effects record: none read
    EXPECT_EQ(four.count, 5);
    EXPECT_EQ(four.effByParty[3], 4);
}

TEST(GameCtrlKeyReadersTest, NetSyncTreasureAndLightBrightness)
{
    GameCtrl ctrl;
    ConfigFileReader reader;
    OpenText(reader, "#1\nNetSync = 3\nTreasure = 0.5, \"Sword\", 3\nTreasure2 = 0.25, \"Shield\", 7\n#2\n");
    uint8_t netSync = 2;
    ctrl.ReadNetSync(reader, netSync, 1);
    EXPECT_EQ(netSync, 2);
    ctrl.ReadNetSync(reader, netSync, 0);
    EXPECT_EQ(netSync, 3);

    float probability = 0;
    float might = 0;
    String item;
    ASSERT_TRUE(ctrl.ReadTreasureKey(reader, 0, -1, probability, item, might));
    EXPECT_EQ(probability, 0.5f);
    EXPECT_STREQ(item.c_str(), "Sword");
    EXPECT_EQ(might, 3.0f);
    ASSERT_TRUE(ctrl.ReadTreasureKey(reader, 0, 2, probability, item, might));
    EXPECT_STREQ(item.c_str(), "Shield");
    EXPECT_FALSE(ctrl.ReadTreasureKey(reader, 0, 1, probability, item, might));
    EXPECT_FALSE(ctrl.ReadTreasureKey(reader, 1, -1, probability, item, might));

    ctrl.SetLightBrightness(2.0f);
    ctrl.SetCreatureLightFactor(0.25f);
    ElemLightValues light;
    light.colour1[0] = 1.0f;
    light.colour2[2] = 0.5f;
    light.values[1] = 3.0f;
    EXPECT_FALSE(ctrl.ScaleLightBrightness(light, false));
    EXPECT_EQ(light.colour1[0], 2.0f);
    EXPECT_EQ(light.colour2[2], 1.0f);
    EXPECT_EQ(light.values[1], 6.0f);
    EXPECT_TRUE(ctrl.ScaleLightBrightness(light, true));  // times 2 x 0.25
    EXPECT_EQ(light.colour1[0], 1.0f);
    EXPECT_EQ(light.values[1], 3.0f);
}
