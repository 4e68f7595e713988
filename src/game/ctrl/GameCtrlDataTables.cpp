// GameCtrl: the data tables the loaders read on demand: the 3D object table and the check of
// its files, the wall, world-object and item types looked up by name, and the shader table.
#include "game/ctrl/GameCtrl.h"

#include "base/File.h"
#include "base/GameOptions.h"
#include "base/Math.h"
#include "engine/gfx/DXC_Gfx.h"
#include "game/objects/SceneObject.h"
#include "level/ShaderEntry.h"

#include <algorithm>
#include <memory>

namespace {

const char* const k3dObjsFile = "cfg\\3dobjs.cfg";
const char* const kShadersFile = "cfg\\shaders.cfg";
constexpr uint32_t kPixelShader14 = 0xFFFF0104u;  // pixel shader version 1.4

}  // namespace

// The entries are read one by one when a level first asks for them; opening only loads the text
// and makes the per-entry tables, so every prototype built from the old text goes.
void GameCtrl::Open3dObjs()
{
    if (!m_3dObjReader.NeedsReload())
        return;
    m_3dObjPrototypes.clear();
    m_3dObjUseStamps.clear();
    m_3dObjReader.SetDescKey("desc");
    if (m_3dObjReader.Load(k3dObjsFile) != 0)
        Error("%s", m_3dObjReader.GetErrorText());
    const size_t count = size_t(m_3dObjReader.GetNumEntries());
    m_3dObjPrototypes.resize(count);
    m_3dObjUseStamps.assign(count, 0);
    // With "debug" set a debug view of the table is prepared here; it is a page of the GUI, which
    // the server does not show.
}

void GameCtrl::Check3dObjFiles()
{
    for (int32_t i = 0; i < m_3dObjReader.GetNumEntries(); ++i) {
        String desc;
        String file;
        m_3dObjReader.GetString("desc", desc, i);
        if (m_3dObjReader.GetString("sFile", file, i) != ConfigFileReader::kFound)
            Error("3dObj '%s' (nr %i) without 'sFile' entry", desc.c_str(), i);
        if (!File::Exists(file.c_str()))
            Warning("3dObj '%s' file '%s' does not exist", desc.c_str(), file.c_str());
    }
}

int32_t GameCtrl::FindWallTypeIndex(const char* name) { return m_WallReader.FindEntryByDesc(name); }

int32_t GameCtrl::FindWorldObjectTypeIndex(const char* name) { return m_WorldObjectReader.FindEntryByDesc(name); }

int32_t GameCtrl::FindItemTypeIndex(const char* name) { return m_ItemReader.FindEntryByDesc(name); }

ItemBase* GameCtrl::FindItem(const char* name, bool createImage)
{
    (void)createImage;  // pictures are made where they are drawn, on a client
    const int32_t index = FindItemTypeIndex(name);
    if (index < 0 || size_t(index) >= m_ItemTable.size())
        return nullptr;
    return m_ItemTable[size_t(index)].get();
}

// Shader effects are compiled for a graphics device and the server creates none, so there the
// table is never read and the bone limit of scene objects stays 26.
void GameCtrl::LoadShaders(bool reload)
{
    if (!g_Gfx || !g_Gfx->HasDevice())
        return;
    if (!reload || m_Shaders.empty()) {
        m_ShaderReader.SetConstantTable(&m_Constants);
        m_ShaderReader.SetDescKey("desc");
        if (m_ShaderReader.Load(kShadersFile) != 0)
            Error("%s", m_ShaderReader.GetErrorText());
        if (m_Shaders.empty()) {  // its size is fixed from here on
            m_Shaders.resize(size_t(std::max(m_ShaderReader.GetNumEntries(), 0)));
            for (std::unique_ptr<ShaderEntry>& entry : m_Shaders)
                entry = std::make_unique<ShaderEntry>();
        }
    } else {
        ConfigFileReader probe;
        probe.SetConstantTable(&m_Constants);
        probe.SetDescKey("desc");
        if (probe.Load(kShadersFile) != 0)
            Error("%s", probe.GetErrorText());
        if (size_t(std::max(probe.GetNumEntries(), 0)) != m_Shaders.size()) {
            m_World.ShowTextMessage(5.0f, u"Number of shader.cfg entries has changed, can not reload shaders");
            return;
        }
        if (m_ShaderReader.Load(kShadersFile) != 0)
            Error("%s", m_ShaderReader.GetErrorText());
    }
    // A first load after an earlier one keeps the table's size: entries past it are not read.
    const int32_t count = std::min(m_ShaderReader.GetNumEntries(), int32_t(m_Shaders.size()));
    for (int32_t i = 0; i < count; i++)
        LoadShaderEntry(*m_Shaders[size_t(i)], i);
    CheckSpecialShaders();
    // The bone limit follows the fixed-function shader's bone-matrix array; none is set: 26.
    const DXC_ReplacementEffect& replacement = g_Gfx->replacementEffect;
    SceneObject::s_BoneLimit = replacement.set ? replacement.boneLimit : SceneObject::kDefaultBoneLimit;
}

void GameCtrl::LoadShaderEntry(ShaderEntry& entry, int32_t i)
{
    const String desc = m_ShaderReader.GetDescOfEntry(i);
    int32_t restoreStates = 0;
    if (m_ShaderReader.GetInt("RestoreStates", restoreStates, i) == ConfigFileReader::kFound)
        entry.m_RestoreStates = restoreStates;
    String file;
    if (m_ShaderReader.GetString("shader", file, i) != ConfigFileReader::kFound)
        Error("Shader '%s' without 'shader' entry", desc.c_str());
    g_Gfx->LoadEffect(&entry, file.c_str(), 0, false, true);
    entry.LookupParams();
    entry.m_Valid = entry.IsValid() ? 1 : 0;
    if (!entry.m_Valid) {
        Warning("Validation of shader '%s' failed", desc.c_str());
    } else {
        for (int32_t n = 0; n < ShaderEntry::kParams; n++) {
            float value = 0.0f;
            if (m_ShaderReader.GetFloat("fParam", value, i, n + 1) == ConfigFileReader::kFound &&
                entry.m_FloatHandles[n]) {
                entry.m_FloatValues[n] = value;
                entry.m_FloatEnabled[n] = 1;
            }
            float xyz[3] = {};
            if (m_ShaderReader.GetVector3("vParam", xyz, i, n + 1) == ConfigFileReader::kFound &&
                entry.m_VectorHandles[n]) {
                std::copy(xyz, xyz + 3, entry.m_VectorValues[n]);
                entry.m_VectorEnabled[n] = 1;
            }
        }
        int32_t technique = -1;
        if (m_ShaderReader.GetInt("technique", technique, i) == ConfigFileReader::kFound) {
            entry.m_Technique = technique;
            if (!entry.SetTechnique(technique, true)) {
                Warning("Can not set technique %i in shader '%s'", technique, desc.c_str());
                entry.m_Technique = -1;
                entry.SetTechnique(-1, false);
                if (!entry.ValidateTechnique())
                    Warning("Can not validate technique in shader '%s'", desc.c_str());
            }
        }
        int32_t rank = 0;
        if (m_ShaderReader.GetInt("rank", rank, i) == ConfigFileReader::kFound)
            entry.m_Rank = rank;
    }
    float transparent = 0.0f;
    if (m_ShaderReader.GetFloat("transparent", transparent, i) == ConfigFileReader::kFound)
        entry.m_Transparent = uint8_t(std::clamp(RoundFloatToInt(transparent), 0, 255));
}

// The engine's special shaders (fixed-function emulation, standard map, wall, floor, highlight)
// are looked up by a name lookup that finds none in this system, so their slots stay empty. The
// checks that an option turns on stay errors; a missing floor shader, which nothing can ever
// specify, is only a warning, as an error would stop every client at its start.
void GameCtrl::CheckSpecialShaders()
{
    if (g_Options.useFixedFunctionShader != 0)
        Error("Fixed function shader emulation enabled, but no shader specified");
    if (g_Gfx->GetPixelShaderVersion() >= kPixelShader14)
        Warning("No standard map shader specified - specular maps will no work");
    if (g_Options.wallShader != 0)
        Error("Wall shader enabled, but no shader specified");
    Warning("No floor shader specified");
}
