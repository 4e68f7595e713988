// DXC_PrintfContainer: the print options and their stack, text blocks, inline pictures, SetText,
// the text rectangle, Clear and the release with the device.
#include "engine/gfx/DXC_PrintfContainer.h"

#include "base/File.h"
#include "engine/gfx/DXC_Gfx.h"
#include "engine/gfx/DXC_Texture.h"
#include "platform/D3D9MemoryBuffer.h"

void PrintfTextBlock::Clear()
{
    lines.clear();
    fadeStart = fadeEnd = kNoFade;
    fadeCounter = -1;
    textCounter = 0;
    charCounter = 0;
    cursorLine = cursorEntity = cursorChar = -1;
}

int32_t PrintfTextBlock::CountCharacters() const
{
    int32_t count = 0;
    for (const PrintfLine& line : lines)
        for (const PrintfEntity& entity : line.entities)
            count += entity.kind == 2 ? 0 : int32_t(entity.text.size());
    return count;
}

DXC_PrintfContainer::DXC_PrintfContainer() { SetName("DXC_PrintfContainer"); }

DXC_PrintfContainer::~DXC_PrintfContainer() { ReleaseDeviceObjects(); }

int32_t DXC_PrintfContainer::SaveOptions()
{
    if (m_SavedCount >= kMaxSavedOptions)
        Error("SaveOptions() stack overflow");
    m_Saved[size_t(m_SavedCount)] = m_Options;
    return m_SavedCount++;
}

void DXC_PrintfContainer::RestoreOptions()
{
    if (m_SavedCount > 0)
        m_Options = m_Saved[size_t(--m_SavedCount)];
}

RECT DXC_PrintfContainer::SetText(const char16_t* text)
{
    m_OwnBlock.Clear();
    m_OwnBlock.options = m_Options;
    m_Block = &m_OwnBlock;
    return LayoutText(m_OwnBlock, text);
}

RECT DXC_PrintfContainer::GetTextRect(int32_t firstLine, int32_t lastLine) const
{
    return RectOf(*m_Block, firstLine, lastLine);
}

void DXC_PrintfContainer::Clear()
{
    m_OwnBlock.Clear();
    m_Block = &m_OwnBlock;
}

void DXC_PrintfContainer::ReleaseDeviceObjects()
{
    m_Images.clear();
    m_ImageNames.clear();
    Clear();
    if (m_Buffer)
        m_Buffer->Release();
    m_Buffer = nullptr;
}

DXC_Texture* DXC_PrintfContainer::FindImage(const char* name)
{
    if (!m_Gfx)
        return nullptr;
    if (DXC_Texture* listed = m_Gfx->LoadCatalogueTexture(name))
        return listed;
    for (size_t i = 0; i < m_ImageNames.size(); i++)
        if (String(m_ImageNames[i].c_str()).EqualsNoCase(name))
            return m_Images[i].get();
    if (!File::Exists(name))
        return nullptr;
    auto image = std::make_unique<DXC_Texture>();
    try {
        m_Gfx->LoadTexture(image.get(), name, 0, -1, -1, 1);
    } catch (const DXC_Error&) {
        // A picture that does not load is shown as missing; the text around it still stands.
        return nullptr;
    }
    m_Images.push_back(std::move(image));
    m_ImageNames.emplace_back(name);
    return m_Images.back().get();
}
