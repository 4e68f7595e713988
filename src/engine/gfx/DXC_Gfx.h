// DXC_Gfx: the graphics object. On the dedicated server it creates no device; the scene loaders are its
// operations and read its settings.
#pragma once
#include "base/DXC_Base.h"
#include "platform/D3D9Types.h"

#include <cstdint>

class FileList;

// Name of a Direct3D / D3DX result code for warnings ("SetViewPort failed: %s").
const char* GetDirectXErrorName(HRESULT result);

class DXC_Gfx : public DXC_Base {
public:
    DXC_Gfx();
    ~DXC_Gfx() override;
    DXC_Gfx(const DXC_Gfx&) = delete;
    DXC_Gfx& operator=(const DXC_Gfx&) = delete;

    // Library presence probes of the constructor; nothing is loaded here, so both report success.
    static int CheckD3D9();
    static int CheckD3DX9();

    void SetDedicated(bool on) { dedicatedServer = on ? 1 : 0; }
    bool IsDedicated() const { return dedicatedServer != 0; }

    // False (with a warning) for a network path or an absolute path; the loaders call it when
    // checkLevel is 2 or more and go on either way.
    bool CheckFilePath(const char* fileName);

    int32_t checkLevel = 0;
    FileList* loadedFiles = nullptr;  // register of loaded files; none = no registering
    uint8_t shadersOn = 0;
    uint8_t dedicatedServer = 0;
};
