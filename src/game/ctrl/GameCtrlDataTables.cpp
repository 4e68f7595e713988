// GameCtrl: the data tables the loaders read on demand: the 3D object table and the check of
// its files, the wall, world-object and item types looked up by name, and the shader table.
#include "game/ctrl/GameCtrl.h"

#include "base/File.h"

namespace {

const char* const k3dObjsFile = "cfg\\3dobjs.cfg";

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

// Shader effects are compiled for a graphics device and the server creates none, so the table is
// never read here and the bone limit of scene objects stays 26.
void GameCtrl::LoadShaders(bool reload) { (void)reload; }
