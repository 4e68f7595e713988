// FontTable: the program's fonts by name ("small", "medium", "big" and the others) that text
// output picks from, with the default font that every other name gives. While no default is set
// it is the graphics object's built-in font, which exists only where there is a device: on the
// server every name gives none.
#pragma once
#include "base/SearchTree.h"

class DXC_Font;

class FontTable {
public:
    static FontTable& Get();

    // The font stays its maker's; a name entered again keeps its first font.
    void Register(const char* name, DXC_Font* font);
    void SetDefault(DXC_Font* font) { m_Default = font; }
    DXC_Font* GetDefault() const;
    // The font of that name (letters of any case), else the default font.
    DXC_Font* Find(const char* name);
    void Clear();

private:
    SearchTree<DXC_Font*> m_Fonts;
    DXC_Font* m_Default = nullptr;
};

// The program's font of that name, or its default font.
DXC_Font* FindFont(const char* name);
