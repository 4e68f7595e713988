// DXC_Gfx meshes: building a mesh's D3DX mesh, and drawing whole meshes in their material passes,
// single subsets, face ranges and vertex lists, through the chosen effect or the fixed pipeline,
// with the per-frame counters. Drawing needs the device; building runs on the server too, where
// the mesh stays in memory.
#include "engine/gfx/DXC_Gfx.h"

#include "engine/gfx/DXC_ShaderEffect.h"
#include "engine/gfx/DXC_VertexList.h"
#include "engine/scene/DXC_Mesh.h"
#include "platform/D3D9Device.h"
#include "platform/D3DXMesh.h"

namespace {

constexpr int32_t kMeshVertexLimit = 65535;  // 16-bit indices
// DrawMeshSubset's flag: the subset's material is on the device already (DrawMesh applied it, or
// its caller skips the stages on purpose).
constexpr int32_t kMaterialSet = 1;

bool PassHandsOver(const DXC_ShaderEffect& effect, int32_t pass)
{
    const DXC_EffectRecord* record = effect.effect;
    const int32_t t = effect.currentTechnique;
    if (!record || t < 0 || size_t(t) >= record->techniques.size())
        return false;
    const std::vector<DXC_EffectPass>& passes = record->techniques[size_t(t)].passes;
    return pass >= 0 && size_t(pass) < passes.size() && passes[size_t(pass)].handsOver;
}

}  // namespace

int DXC_Gfx::CreateMesh(DXC_MeshBase* mesh, int32_t faces, int32_t vertices, int32_t materials, uint32_t vertexFormat,
                        int32_t systemMemory, int32_t blendIndex, int32_t createMaterials, int32_t extraOptions,
                        int32_t needsEffect)
{
    if (!mesh)
        Error("Mesh pointer in CreateMesh is NULL pointer!");
    mesh->ReleaseDeviceMesh();  // a rebuilt mesh gives its old one back, materials or not
    mesh->layout.FromFormat(vertexFormat);
    const uint32_t position = vertexFormat & 0x00E;
    if (position == 0 || position == 0x00E)  // every vertex begins with its position
        Error("Invalid vertex format: 0x%x (Mesh: '%s')", vertexFormat, mesh->GetObjectName());

    uint32_t options = D3DXMESH_SYSTEMMEM;
    if (!systemMemory)
        options = (extraOptions != -1 && (uint32_t(extraOptions) & D3DXMESH_DYNAMIC)) ? 0 : D3DXMESH_MANAGED;
    if (extraOptions != 0 && extraOptions != -1)
        options |= uint32_t(extraOptions);
    const int32_t processing = CheckVertexProcessing(vertexFormat, blendIndex, needsEffect != 0);
    if (!states.mixedVertexProcessing || processing == 0) {
        mesh->layout.selector = 0;
        options = D3DXMESH_SYSTEMMEM | D3DXMESH_SOFTWAREPROCESSING;
    } else {
        mesh->layout.selector = uint32_t(processing);  // 2: the replacement effect draws it
    }
    if (vertices > kMeshVertexLimit)
        Error("Number of vertices too high: %i - only 65535 allowed (Mesh: '%s')", vertices, mesh->GetObjectName());

    ID3DXMesh* made = nullptr;
    lastResult = CreateMemoryMesh(uint32_t(faces > 0 ? faces : 0), uint32_t(vertices > 0 ? vertices : 0), options,
                                  vertexFormat, mesh->layout.vertexStride, &made, device);
    if (FAILED(lastResult))
        Error(" D3DXCreateMeshFVF failed: %s ", GetDirectXErrorName(lastResult));
    // A mesh whose materials come later (the text importer's) has none yet; one that has them
    // must keep their number.
    if (!createMaterials && mesh->materialCount > 0 && materials != mesh->materialCount) {
        made->Release();
        Error("nrMat does not match!");
    }
    mesh->deviceMesh = made;
    mesh->vertexCount = vertices;
    mesh->faceCount = faces;
    if (createMaterials) {
        mesh->AllocMaterials(materials);
        const float grey[12] = {0.9f, 0.9f, 0.9f, 0.9f, 0.9f, 0.9f, 0, 0, 0, 0, 0, 0};
        for (int32_t i = 0; i < mesh->materialCount; i++) {
            mesh->materials[i].InitFromColors(grey);
            mesh->materials[i].power = 0.0f;
            mesh->textures[i].device = device;
        }
    }
    mesh->resourceManager = &meshManager;
    mesh->resourceId = meshManager.Add(made, "", mesh->GetObjectName());
    return 1;
}

void DXC_Gfx::ApplySubsetMaterial(DXC_Mesh& mesh, int32_t subset, const DXC_Material* given, float opacity,
                                  int32_t opaqueZWrite)
{
    const DXC_Material& own = mesh.materials[subset];
    DXC_Material drawn;
    drawn.AssignPlain(own);
    if (given)
        DXC_Material::Combine(own, *given, drawn);
    drawn.transparency = 1.0f - (1.0f - drawn.transparency) * opacity;
    SetMaterialBlend(drawn, 0, 1, 255, opaqueZWrite);
    SetMaterialStages(&mesh.textures[subset], -1);
    SetMaterial(drawn);
}

int DXC_Gfx::DrawMesh(DXC_Mesh* mesh, const D3DXMATRIX* world, const DXC_Material* material, int32_t flags,
                      bool skipStages, int32_t passMask, bool clipTest)
{
    if (!mesh) {
        Warning("Pointer to mesh is zero");
        return 0;
    }
    if (!mesh->meshActive || !mesh->deviceMesh)
        return 1;
    D3DXMATRIX placed;
    if (world)
        placed = *world;
    else
        D3DXMatrixIdentity(&placed);
    D3DXMATRIX object;
    D3DXMatrixMultiply(&object, &mesh->offsetMatrix, &mesh->worldMatrix);
    D3DXMATRIX transform;
    D3DXMatrixMultiply(&transform, &object, &placed);
    if (clipTest && (mesh->boundsFlags & 3) && !TestBounds(*mesh, transform))
        return 0;

    meshCounter++;
    const int32_t savedMode = blendMode, savedAlpha = requestedBlendAlpha;
    const int32_t savedCull = states.requestedCullMode;
    const int32_t savedZWrite = states.requestedZWriteEnable;
    const int32_t savedU = states.samplers[0].requestedU, savedV = states.samplers[0].requestedV;

    int32_t meshCull = savedCull;
    const int32_t bones = mesh->GetBoneCount();
    if (bones < 1) {
        SetWorldMatrix(transform);
        if (D3DXMatrixDeterminant(&transform) < 0.0f)
            meshCull = -savedCull;  // mirrored: its faces turn the other way round
    } else {
        const bool indexed = (mesh->layout.vertexFormat & D3DFVF_LASTBETA_UBYTE4) != 0;
        const int64_t deviceBones = indexed ? int64_t(caps.MaxVertexBlendMatrixIndex) + 1
                                            : int64_t(caps.MaxVertexBlendMatrices);
        if (mesh->skinWord == 1 && bones > deviceBones)
            Warning("Number of bones too high for hardware vertex blending: %i", bones);
        for (int32_t b = 0; b < bones && b < kWorldMatrices; b++) {
            D3DXMATRIX bone, boneWorld;
            mesh->GetBoneMatrix(bone, b);
            D3DXMatrixMultiply(&boneWorld, &bone, &placed);
            SetWorldMatrix(boneWorld, b);
        }
        SetVertexBlend(int32_t(mesh->vertexBlendMode));
        if (indexed)
            SetIndexedVertexBlend(1);
    }

    if (mesh->materialCount <= 0) {
        if (!skipStages) {
            SetMaterial(material ? *material : currentMaterial);
            SetMaterialStages(nullptr, -1);
        }
        SetCullMode(meshCull);
        DrawMeshSubset(mesh, 0, flags | kMaterialSet);
    } else {
        const float opacity = mesh->GetOpacity();
        for (int32_t pass = 0; pass < 2; pass++) {
            if (!(passMask & (1 << pass)))
                continue;
            for (int32_t i = 0; i < mesh->materialCount; i++) {
                const DXC_Material& own = mesh->materials[i];
                if (own.passNumber != pass)
                    continue;
                if (1.0f - (1.0f - own.transparency) * opacity >= 1.0f)
                    continue;  // nothing of it shows
                if (!skipStages)
                    ApplySubsetMaterial(*mesh, i, material, opacity, savedZWrite);
                SetCullMode(own.twoSided ? 0 : meshCull);
                DrawMeshSubset(mesh, i, flags | kMaterialSet);
            }
        }
    }

    if (bones >= 1) {
        SetVertexBlend(D3DVBF_DISABLE);
        if (mesh->layout.vertexFormat & D3DFVF_LASTBETA_UBYTE4)
            SetIndexedVertexBlend(0);
    }
    SetCullMode(savedCull);
    SetBlendMode(savedMode, savedAlpha, blendStage);
    SetZWriteEnable(savedZWrite);
    if (savedU >= 0)
        SetTextureAddressU(savedU, 0);
    if (savedV >= 0)
        SetTextureAddressV(savedV, 0);
    return 1;
}

void DXC_Gfx::RunEffectPasses(DXC_ShaderEffect& effect, DXC_Mesh* mesh, int32_t subset,
                              const std::function<void()>& draw, bool handOver)
{
    BindEffectParameters(&effect, mesh, subset);
    if (mesh)
        BindWorldMatrices(&effect, *mesh);
    BindLights(&effect);
    const int32_t passes = BeginEffect(&effect);
    for (int32_t p = 0; p < passes; p++) {
        DXC_ShaderEffect* other = secondaryEffect;
        if (handOver && other && other != &effect && other->IsValid() && PassHandsOver(effect, p)) {
            DXC_ShaderEffect* active = activeEffect;
            activeEffect = other;
            RunEffectPasses(*other, mesh, subset, draw, false);
            activeEffect = active;
            continue;
        }
        if (effect.BeginPass(p))
            draw();
        effect.EndPass();
    }
    effect.End();
}

void DXC_Gfx::DrawWithEffect(const DXC_VertexListBase& item, DXC_Mesh* mesh, int32_t subset,
                             const std::function<void()>& draw)
{
    if (DXC_ShaderEffect* effect = SelectEffect(item, false)) {
        RunEffectPasses(*effect, mesh, subset, draw, true);
        return;
    }
    ResetShaders();  // the fixed pipeline draws
    draw();
}

void DXC_Gfx::CountDraw(int32_t triangles)
{
    trianglesDrawn += triangles;
    drawCalls++;
}

void DXC_Gfx::DrawSubsetFaces(DXC_Mesh& mesh, int32_t subset, int32_t faces)
{
    lastResult = mesh.deviceMesh->DrawSubset(DWORD(subset));
    if (FAILED(lastResult))
        Error(" DrawSubset failed: %s", GetDirectXErrorName(lastResult));
    CountDraw(faces);
}

int DXC_Gfx::DrawMeshSubset(DXC_Mesh* mesh, int32_t subset, int32_t flags)
{
    if (subset < 0 || subset >= mesh->attributeCount || !mesh->attributeTable ||
        mesh->attributeTable[subset].AttribId != uint32_t(subset)) {
        Error("Attribute set for material %i in mesh '%s' with wrong ID", subset, mesh->GetObjectName());
        return 0;
    }
    const D3DXATTRIBUTERANGE range = mesh->attributeTable[subset];
    const bool hasMaterial = subset < mesh->materialCount;
    const bool apply = hasMaterial && !(flags & kMaterialSet);
    if (DXC_ShaderEffect* effect = SelectEffect(*mesh, false)) {
        if (apply && effect->subsetMaterial)
            ApplySubsetMaterial(*mesh, subset, nullptr, 1.0f, states.requestedZWriteEnable);
        RunEffectPasses(*effect, mesh, subset, [&] { DrawSubsetFaces(*mesh, subset, int32_t(range.FaceCount)); },
                        true);
        return 1;
    }
    ResetShaders();
    if (!hasMaterial) {
        DrawSubsetFaces(*mesh, subset, int32_t(range.FaceCount));
        return 1;
    }
    if (apply)
        ApplySubsetMaterial(*mesh, subset, nullptr, 1.0f, states.requestedZWriteEnable);
    DrawIndexedPrimitive(mesh, int32_t(range.FaceStart), int32_t(range.FaceCount), flags);
    return 1;
}

void DXC_Gfx::SetVertexFormat(uint32_t vertexFormat)
{
    lastResult = Device().SetFVF(vertexFormat);
    if (FAILED(lastResult))
        Error("Failed to set flexible vertex format: %s", GetDirectXErrorName(lastResult));
}

int DXC_Gfx::DrawIndexedPrimitive(DXC_Mesh* mesh, int32_t firstFace, int32_t faceCount, int32_t)
{
    if (faceCount <= 0)
        return 0;
    if (!mesh->deviceMesh)
        Error("DrawIndexedPrimitive failed: %s", GetDirectXErrorName(D3DERR_INVALIDCALL));
    SetHardwareVertexProcessing(int32_t(mesh->layout.weightCount));  // blend weights: hardware
    IDirect3DVertexBuffer9* vertices = nullptr;
    lastResult = mesh->deviceMesh->GetVertexBuffer(&vertices);
    if (FAILED(lastResult))
        Error("GetVertexBuffer failed: %s", GetDirectXErrorName(lastResult));
    ReleaseOnExit<IDirect3DVertexBuffer9> vertexReference(vertices);
    IDirect3DIndexBuffer9* indices = nullptr;
    lastResult = mesh->deviceMesh->GetIndexBuffer(&indices);
    if (FAILED(lastResult))
        Error("GetIndexBuffer failed: %s", GetDirectXErrorName(lastResult));
    ReleaseOnExit<IDirect3DIndexBuffer9> indexReference(indices);
    SetStreamSource(0, vertices, mesh->deviceMesh->GetNumBytesPerVertex());
    lastResult = Device().SetIndices(indices);
    if (FAILED(lastResult))
        Error("SetIndices failed: %s", GetDirectXErrorName(lastResult));
    SetVertexFormat(mesh->layout.vertexFormat);
    DrawWithEffect(*mesh, mesh, 0, [&] {
        lastResult = Device().DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, uint32_t(mesh->vertexCount),
                                                   uint32_t(firstFace) * 3, uint32_t(faceCount));
        if (FAILED(lastResult))
            Error("DrawIndexedPrimitive failed: %s", GetDirectXErrorName(lastResult));
        CountDraw(faceCount);
    });
    return 1;
}

int DXC_Gfx::DrawTriangleList(DXC_VertexList* list, int32_t first, int32_t count)
{
    if (count == -1)
        count = list->vertexCount;
    if (count > list->vertexCount || first < 0 || count > list->vertexCount - first)
        Error("Number of elements in DrawTriangleList too high! (%i)", count);
    if (count <= 0)
        return 1;
    lastResult = Device().SetStreamSource(0, list->GetBuffer(), 0, list->vertexSize);
    if (FAILED(lastResult))
        Error("SetStreamSource in DrawVertexList failed: %s", GetDirectXErrorName(lastResult));
    states.streams[0] = list->GetBuffer();
    states.streamStrides[0] = list->vertexSize;
    SetVertexFormat(list->layout.vertexFormat);
    DrawWithEffect(*list, nullptr, 0, [&] {
        lastResult = Device().DrawPrimitive(D3DPT_TRIANGLELIST, uint32_t(first), uint32_t(count / 3));
        if (FAILED(lastResult))
            Error("DrawPrimitive in DrawTriangleList failed: %s", GetDirectXErrorName(lastResult));
        CountDraw(count / 3);
    });
    return 1;
}
