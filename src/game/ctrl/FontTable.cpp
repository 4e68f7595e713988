// FontTable: the program's fonts by name with their default.
#include "game/ctrl/FontTable.h"

#include "engine/gfx/DXC_Gfx.h"

FontTable& FontTable::Get()
{
    static FontTable table;
    return table;
}

void FontTable::Register(const char* name, DXC_Font* font)
{
    if (!name || !*name || !font)
        return;
    if (DXC_Font** slot = m_Fonts.Insert(String(name)))
        *slot = font;
}

DXC_Font* FontTable::GetDefault() const
{
    if (m_Default)
        return m_Default;
    return g_Gfx ? g_Gfx->GetBuiltinFont() : nullptr;  // asked for each time: the object may go
}

DXC_Font* FontTable::Find(const char* name)
{
    DXC_Font** font = name && *name ? m_Fonts.Find(name) : nullptr;
    return font && *font ? *font : GetDefault();
}

void FontTable::Clear()
{
    m_Fonts.Clear();
    m_Default = nullptr;
}

DXC_Font* FindFont(const char* name) { return FontTable::Get().Find(name); }
