// DXC_GfxTest: the device-less graphics object: library probes, path check and result-code names.
#include "engine/gfx/DXC_Gfx.h"

#include <gtest/gtest.h>

namespace {

TEST(DXC_Gfx, ProbesAndDedicatedFlag)
{
    EXPECT_EQ(DXC_Gfx::CheckD3D9(), 1);
    EXPECT_EQ(DXC_Gfx::CheckD3DX9(), 1);
    DXC_Gfx gfx;
    EXPECT_STREQ(gfx.GetName(), "DXC_Gfx");
    EXPECT_FALSE(gfx.IsDedicated());
    gfx.SetDedicated(true);
    EXPECT_TRUE(gfx.IsDedicated());
}

TEST(DXC_Gfx, PathCheck)
{
    struct Case {
        const char* name;
        bool ok;
    } cases[] = {
        {"models\\creature.3sc", true},
        {"\\\\server\\share\\a.3sc", false},  // network file
        {"c:\\games\\a.3sc", false},          // absolute
        {"/tmp/a.3sc", false},
        {"'quoted'", false},
        {"\\single.3sc", true},
        {"", true},
        {"a", true},
    };
    DXC_Gfx gfx;
    for (const Case& c : cases)
        EXPECT_EQ(gfx.CheckFilePath(c.name), c.ok) << c.name;
}

TEST(DXC_Gfx, ErrorNames)
{
    EXPECT_STREQ(GetDirectXErrorName(D3D_OK), "S_OK");
    EXPECT_STREQ(GetDirectXErrorName(D3DERR_INVALIDCALL), "D3DERR_INVALIDCALL");
    EXPECT_EQ(D3DERR_INVALIDCALL, static_cast<HRESULT>(0x8876086Cu));
    EXPECT_STREQ(GetDirectXErrorName(D3DERR_DEVICELOST), "D3DERR_DEVICELOST");
    EXPECT_STREQ(GetDirectXErrorName(E_OUTOFMEMORY), "E_OUTOFMEMORY");
    EXPECT_STREQ(GetDirectXErrorName(D3DXERR_INVALIDDATA), "D3DXERR_INVALIDDATA");
    EXPECT_STREQ(GetDirectXErrorName(12345), "Unknown");
}

}  // namespace
