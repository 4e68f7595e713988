// DXC_Texture: construction, stage selection, frame sequences, the per-frame update of stage
// transforms and frames, and the moves of shared references: set, clone, free and release.
#include "engine/gfx/DXC_Texture.h"

#include "platform/D3D9MemoryBuffer.h"

#include <algorithm>
#include <cmath>

namespace {

bool HasAlphaFormat(D3DFORMAT format)
{
    return format == D3DFMT_A8R8G8B8 || format == D3DFMT_A1R5G5B5 || format == D3DFMT_DXT1 ||
           format == D3DFMT_DXT2 || format == D3DFMT_DXT3 || format == D3DFMT_DXT4 || format == D3DFMT_DXT5;
}

// Scaling, then the turn by -rotation about the texture centre, then the offsets; the third row
// holds the translation of the two texture coordinates.
D3DXMATRIX UVMatrix(float offsetU, float offsetV, float scaleU, float scaleV, float rotation)
{
    const float c = std::cos(-rotation), s = std::sin(-rotation);
    // p' = ((p - centre) * S * R) + centre + offset
    const float a = scaleU * c, b = scaleU * s, d = -scaleV * s, e = scaleV * c;
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    m.m[0][0] = a;
    m.m[0][1] = b;
    m.m[1][0] = d;
    m.m[1][1] = e;
    m.m[2][0] = -0.5f * a - 0.5f * d + 0.5f + offsetU;
    m.m[2][1] = -0.5f * b - 0.5f * e + 0.5f + offsetV;
    return m;
}

// The non-negative remainder of the truncated value by n; NaN and infinities stay invalid.
double FrameOf(double x, int32_t n)
{
    double f = std::fmod(std::trunc(x), double(n));
    if (f < 0)
        f += n;
    return f;
}

}  // namespace

int32_t DXC_Texture::s_DefaultPoolTextures = 0;

DXC_MapInfo::DXC_MapInfo()
{
    D3DXMatrixIdentity(&textureMatrix);
}

void DXC_MapInfo::Reset()
{
    *this = DXC_MapInfo();
}

void DXC_MapInfo::FreeCurves()
{
    for (BezierSpline<float>& curve : animation.curves)
        curve.SetNumKeys(0);
}

bool DXC_MapInfo::SameUVValues(const DXC_MapInfo& other) const
{
    for (int i = 0; i < 5; i++)
        if (animation.constants[i] != other.animation.constants[i])
            return false;
    return true;
}

int32_t DXC_MapInfo::GetOrderKey() const
{
    static const int32_t kKeys[8] = {100, 1, 0, 6, 4, 5, 3, 2};
    return mapType >= 0 && mapType < 8 ? kKeys[mapType] : 200;
}

DXC_Texture::DXC_Texture()
{
    SetName("DXC_Texture");
    ResetFields();
}

DXC_Texture::~DXC_Texture()
{
    Release();
}

void DXC_Texture::DropSequence()
{
    delete[] frameIds;
    delete[] frameTextures;
    frameIds = nullptr;
    frameTextures = nullptr;
    frameCount = 0;
    currentFrame = -1;
    sequenceStage = 0;
}

void DXC_Texture::ResetFields()
{
    DropSequence();
    startTime = 0.0f;
    frameTime = 0.2f;
    playbackMode = 0;
    currentStage = 0;
    currentTexture = nullptr;
    device = nullptr;
    mipLevel = 0;
    for (int32_t s = 0; s < kStages; s++) {
        stageIds[s] = -1;
        stageTimes[s] = -1;
        stageTextures[s] = nullptr;
        stageNames[s] = "";
        stages[s].Reset();
        stageBlocks[s] = D3DSURFACE_DESC();
        transformChanged[s] = 1;  // the first update computes every matrix
        stageFlags[s] = 0;
    }
    videoSource = -1;
    recordFloat = 1.0f;
    hotSpotX = hotSpotY = 0.0f;
    alphaFlag = 0;
    quadStale = 0;
    wrap = 0;
}

void DXC_Texture::CopyFields(const DXC_Texture& other)
{
    if (&other == this)
        return;
    DXC_Base::operator=(other);
    resourceId = other.resourceId;
    resourceManager = other.resourceManager;
    format = other.format;
    bytesPerPixel = other.bytesPerPixel;
    alphaState = other.alphaState;
    DropSequence();
    frameCount = other.frameCount;
    if (frameCount > 0) {
        frameIds = new int32_t[size_t(frameCount)];
        frameTextures = new IDirect3DTexture9*[size_t(frameCount)];
        for (int32_t i = 0; i < frameCount; i++) {
            frameIds[i] = other.frameIds[i];
            frameTextures[i] = other.frameTextures[i];
        }
    }
    startTime = other.startTime;
    frameTime = other.frameTime;
    currentFrame = other.currentFrame;
    sequenceStage = other.sequenceStage;
    playbackMode = other.playbackMode;
    for (int32_t s = 0; s < kStages; s++)
        CopyStage(other, s, s);
    pixelWidth = other.pixelWidth;
    pixelHeight = other.pixelHeight;
    mipLevels = other.mipLevels;
    lastUpdateTime = other.lastUpdateTime;
    recordFloat = other.recordFloat;
    videoSource = other.videoSource;
    drawWidth = other.drawWidth;
    drawHeight = other.drawHeight;
    hotSpotX = other.hotSpotX;
    hotSpotY = other.hotSpotY;
    for (int i = 0; i < 6; i++)
        texCoords[i] = other.texCoords[i];
    mipLevel = other.mipLevel;
    device = other.device;
    currentTexture = other.currentTexture;
    currentStage = other.currentStage;
    alphaFlag = other.alphaFlag;
    wrap = other.wrap;
    quadStale = other.quadStale;
    textureId = other.textureId;
}

void DXC_Texture::CopyStage(const DXC_Texture& other, int32_t from, int32_t to)
{
    stageIds[to] = other.stageIds[from];
    stageTextures[to] = other.stageTextures[from];
    stageFlags[to] = other.stageFlags[from];
    stages[to] = other.stages[from];
    transformChanged[to] = other.transformChanged[from];
    stageNames[to] = other.stageNames[from];
    stageTimes[to] = other.stageTimes[from];
    stageBlocks[to] = other.stageBlocks[from];
}

String DXC_Texture::GetName() const
{
    if (currentStage < 0 || currentStage >= kStages || !resourceManager || stageIds[currentStage] < 0)
        return "";
    const DXC_Resource* record = resourceManager->GetRecordOf(stageIds[currentStage]);
    return record ? record->name : String("");
}

bool DXC_Texture::IsAcquired() const
{
    if (!resourceManager)
        return false;
    const int32_t id = stageIds[currentStage];
    if (id < 0)
        return true;
    return resourceManager->IsValidID(id) && resourceManager->GetResource(id) != nullptr;
}

void DXC_Texture::RefreshCurrent()
{
    if (frameCount >= 1 && currentStage == sequenceStage)
        currentTexture = (currentFrame >= 0 && currentFrame < frameCount) ? frameTextures[currentFrame] : nullptr;
    else
        currentTexture = stageTextures[currentStage];
}

int DXC_Texture::SelectStage(int32_t stage, int apply)
{
    if (stage < 0 || stage >= kStages)
        Error("Invalid texture stage selected: %i", stage);
    currentStage = stage;
    RefreshCurrent();
    if (apply) {
        if (frameCount > 0)
            quadStale = 1;
        else
            UpdateDesc();
    }
    return 1;
}

DXC_MapInfo& DXC_Texture::GetMapInfo(int32_t stage)
{
    if (stage < 0 || stage >= kStages)
        Error("Incorrect stage in GetMapInfo(): %i", stage);
    return stages[stage];
}

void DXC_Texture::SetStage(const DXC_MapInfo& record)
{
    stages[currentStage] = record;
    transformChanged[currentStage] = 1;
}

bool DXC_Texture::HasMapType(int32_t type, bool loadedOnly) const
{
    for (int32_t s = 0; s < kStages; s++)
        if (stages[s].mapType == type && (!loadedOnly || stageTextures[s]))
            return true;
    return false;
}

int32_t DXC_Texture::FindType2Stage() const
{
    for (int32_t s = 0; s < kStages; s++)
        if (stages[s].IsType2())
            return s + 1;
    return 0;
}

void DXC_Texture::SetStageMatrix(const D3DXMATRIX* matrix)
{
    DXC_MapInfo& stage = stages[currentStage];
    if (matrix) {
        stage.textureMatrix = *matrix;
        stage.transformActive = 1;
    } else {
        D3DXMatrixIdentity(&stage.textureMatrix);
        stage.transformActive = 0;
    }
}

void DXC_Texture::SetUVTransform(float offsetU, float offsetV, float scaleU, float scaleV, float rotation)
{
    if (offsetU == 0.0f && offsetV == 0.0f && scaleU == 1.0f && scaleV == 1.0f && rotation == 0.0f) {
        SetStageMatrix(nullptr);
        return;
    }
    D3DXMATRIX m = UVMatrix(offsetU, offsetV, scaleU, scaleV, rotation);
    SetStageMatrix(&m);
}

String DXC_Texture::GetStageFileName(int32_t stage) const
{
    if (stage < 0 || stage >= kStages)
        return "";
    return stageNames[stage];
}

void DXC_Texture::CurrentSlot(int32_t*& id, IDirect3DTexture9**& texture)
{
    if (frameCount > 0 && currentStage == sequenceStage && currentFrame >= 0 && currentFrame < frameCount) {
        id = &frameIds[currentFrame];
        texture = &frameTextures[currentFrame];
    } else {
        id = &stageIds[currentStage];
        texture = &stageTextures[currentStage];
    }
}

void DXC_Texture::SetStageTexture(IDirect3DTexture9* texture, DXC_ResourceManagerBase* manager, int32_t id)
{
    resourceManager = manager;
    int32_t* idSlot = nullptr;
    IDirect3DTexture9** textureSlot = nullptr;
    CurrentSlot(idSlot, textureSlot);
    *idSlot = id;
    *textureSlot = texture;
    RefreshCurrent();
    if (currentStage == 0 || frameCount > 0)
        UpdateDesc();
    if (currentStage == 0 && frameCount <= 0)  // the first stage gives the drawn size
        SetSize(pixelWidth, pixelHeight);
}

void DXC_Texture::UpdateDesc()
{
    quadStale = 1;
    alphaFlag = 0;
    for (int32_t s = 0; s < kStages; s++) {
        D3DSURFACE_DESC desc;
        if (!stageTextures[s] || stageTextures[s]->GetLevelDesc(0, &desc) != D3D_OK)
            continue;
        stageBlocks[s] = desc;  // kept for making the stage again after a device reset
        if (HasAlphaFormat(desc.Format))
            alphaFlag = 1;
    }
    D3DSURFACE_DESC desc;
    if (!currentTexture || currentTexture->GetLevelDesc(0, &desc) != D3D_OK)
        return;
    pixelWidth = int32_t(desc.Width);
    pixelHeight = int32_t(desc.Height);
    format = desc.Format;
    mipLevels = int32_t(currentTexture->GetLevelCount());
    if (mipLevel >= mipLevels)
        mipLevel = 0;
    if (HasAlphaFormat(desc.Format))
        alphaFlag = 1;
    SetupFormat();
}

void DXC_Texture::GiveBack(int32_t& id, IDirect3DTexture9*& texture)
{
    if (id >= 0 && resourceManager) {
        // The manager's object, not the one held: a device reset may have released it already.
        auto* current = static_cast<IDirect3DTexture9*>(resourceManager->GetResource(id));
        if (resourceManager->Unacquire(id) == 1 && current) {
            if (current->GetPool() == D3DPOOL_DEFAULT && current->GetOwnerDevice())
                s_DefaultPoolTextures--;
            current->Release();
        }
    }
    id = -1;
    texture = nullptr;
}

void DXC_Texture::AllocSequence(int32_t count)
{
    FreeSequence();
    if (count <= 0)
        return;
    frameIds = new int32_t[size_t(count)];
    frameTextures = new IDirect3DTexture9*[size_t(count)];
    for (int32_t i = 0; i < count; i++) {
        frameIds[i] = -1;
        frameTextures[i] = nullptr;
    }
    frameCount = count;
    sequenceStage = currentStage;
    currentFrame = -1;
    RefreshCurrent();
}

void DXC_Texture::FreeSequence()
{
    for (int32_t i = 0; i < frameCount; i++)
        GiveBack(frameIds[i], frameTextures[i]);
    DropSequence();
    startTime = 0.0f;
    frameTime = 0.2f;
    playbackMode = 0;
    RefreshCurrent();
}

int DXC_Texture::SelectFrame(int32_t index)
{
    if (index < 0 || index >= frameCount)
        Error("Invalid sequence number");
    currentFrame = index;
    RefreshCurrent();
    return 1;
}

void DXC_Texture::SetSequenceParams(float frameDuration, float time, int32_t mode)
{
    frameTime = frameDuration;
    startTime = time;
    playbackMode = mode;
}

int DXC_Texture::Update(float time)
{
    lastUpdateTime = time;
    const int32_t remembered = currentStage;
    const int32_t stageCount = frameCount > 0 ? 1 : kStages;
    for (int32_t s = 0; s < stageCount; s++) {
        DXC_MapInfo& stage = stages[s];
        float v[5];
        for (int i = 0; i < 5; i++) {
            const BezierSpline<float>& curve = stage.animation.curves[i];
            if (curve.GetNumKeys() > 0) {
                v[i] = float(curve.Evaluate(time));
                transformChanged[s] = 1;
            } else {
                v[i] = stage.animation.constants[i];
            }
        }
        if (frameCount <= 0)
            SelectStage(s, 0);
        if (transformChanged[s]) {
            const int32_t selected = currentStage;
            currentStage = s;  // the matrix setters work on the current stage
            SetUVTransform(v[0], v[1], v[2], v[3], v[4]);
            currentStage = selected;
            transformChanged[s] = 0;
        }
    }
    if (frameCount <= 0) {
        SelectStage(remembered, 0);
        return 1;
    }

    const double dt = frameTime, t0 = startTime, t = time;
    const int32_t n = frameCount;
    double frame;
    if (playbackMode == 2) {
        frame = t < t0 ? 0.0 : std::min(std::trunc((t - t0) / dt), double(n - 1));
    } else if (playbackMode == 1) {
        if (n == 1) {
            frame = 0.0;
        } else {
            const double c = std::floor((t - t0) / (n * dt));
            frame = FrameOf((t - t0 - n * c * dt) / dt, n);
            if (std::fmod(c, 2.0) != 0.0)
                frame = n - frame - 1;
        }
    } else {
        frame = FrameOf((t - t0) / dt, n);
    }
    if (!(frame >= 0.0 && frame < double(n)))  // also a frame time of 0 or NaN
        Error("Invalid sequence number");
    currentFrame = int32_t(frame);
    RefreshCurrent();
    return 1;
}

int DXC_Texture::SetTexture(const DXC_Texture* other)
{
    if (!other || !other->IsValid()) {
        FreeCurrent();
        return 0;
    }
    const int32_t s = currentStage, o = other->currentStage;
    if (stageTextures[s] && stageTextures[s] == other->stageTextures[o])
        return 1;
    pixelWidth = other->pixelWidth;
    pixelHeight = other->pixelHeight;
    if (!resourceManager)
        resourceManager = other->resourceManager;
    if (!resourceManager || resourceManager != other->resourceManager)
        Error("Invalid resource managers for DXC_Texture::SetTexture()");
    GiveBack(stageIds[s], stageTextures[s]);
    const uint8_t flag = stageFlags[s];
    CopyStage(*other, o, s);
    stageFlags[s] = flag;  // the stage keeps its own counting
    stageIds[s] = resourceManager->Acquire(other->stageIds[o]);
    currentTexture = other->currentTexture;
    mipLevels = other->mipLevels;
    alphaFlag = other->alphaFlag;
    format = other->format;
    quadStale = 1;
    return 1;
}

int DXC_Texture::Clone(DXC_Texture& destination, int share, int32_t stage) const
{
    DXC_Texture& self = const_cast<DXC_Texture&>(*this);  // for the error reports only
    if (!share && stage >= 0)
        self.Error("Internal error: DXC_Texture::Clone invalid parameters");
    if (&destination == this)
        return 1;
    if (!share || stage < 0)
        destination.Release();
    if (stage >= kStages)
        self.Error("Invalid texture stage selected: %i", stage);
    if (!resourceManager) {
        if (stage >= 0) {
            destination.stageNames[stage] = stageNames[currentStage];
        } else {
            for (int32_t s = 0; s < kStages; s++)
                destination.stageNames[s] = stageNames[s];
        }
        return 0;
    }
    if (stage >= 0) {
        destination.GiveBack(destination.stageIds[stage], destination.stageTextures[stage]);
        destination.resourceManager = resourceManager;
        destination.stageIds[stage] = stageIds[currentStage];
        destination.stageTextures[stage] = stageTextures[currentStage];
        destination.stages[stage] = stages[currentStage];
        destination.transformChanged[stage] = transformChanged[currentStage];
    } else {
        destination.CopyFields(*this);
        destination.quadBuffer = nullptr;  // made on its first draw
    }
    if (share) {
        if (stage < 0)
            for (int32_t i = 0; i < destination.frameCount; i++)
                if (destination.frameTextures[i])
                    resourceManager->Acquire(destination.frameIds[i]);
        for (int32_t s = 0; s < kStages; s++)
            if ((stage < 0 || s == stage) && destination.stageTextures[s])
                resourceManager->Acquire(destination.stageIds[s]);
    } else {
        destination.DropSequence();
        for (int32_t s = 0; s < kStages; s++) {
            destination.stageTextures[s] = nullptr;
            destination.stageIds[s] = -1;
        }
        destination.currentTexture = nullptr;
    }
    if (stage >= 0) {
        destination.RefreshCurrent();
        return 1;
    }
    destination.quadStale = 1;
    return 1;
}

void DXC_Texture::FreeStage(int32_t stage)
{
    if (frameCount > 0) {
        if (stage < 0 || stage >= frameCount)
            Error("Invalid sequence to free: %i", stage);
        GiveBack(frameIds[stage], frameTextures[stage]);
        RefreshCurrent();
        return;
    }
    if (stage < 0 || stage >= kStages)
        Error("Invalid texture stage selected: %i", stage);
    ClearStage(stage);
}

void DXC_Texture::ClearStage(int32_t stage)
{
    if (currentTexture == stageTextures[stage])
        currentTexture = nullptr;
    GiveBack(stageIds[stage], stageTextures[stage]);
    stages[stage].Reset();
    stageNames[stage] = "";
    stageTimes[stage] = -1;
}

void DXC_Texture::FreeCurrent()
{
    if (frameCount > 0 && currentStage == sequenceStage) {
        if (currentFrame >= 0)
            FreeStage(currentFrame);
    } else {
        ClearStage(currentStage);
    }
}

int DXC_Texture::Release()
{
    if (resourceManager)
        for (int32_t i = 0; i < frameCount; i++)
            GiveBack(frameIds[i], frameTextures[i]);
    for (int32_t s = 0; s < kStages; s++) {
        if (resourceManager)
            GiveBack(stageIds[s], stageTextures[s]);
        stages[s].FreeCurves();
    }
    if (quadBuffer)
        quadBuffer->Release();
    quadBuffer = nullptr;
    ResetFields();
    return 1;
}
