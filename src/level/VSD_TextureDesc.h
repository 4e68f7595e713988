// VSD_TextureDesc: one floor texture of a level's floor texture description files, and the reader
// that turns the files into the viewer's texture records (record 0 is the placeholder
// "Dummy-floor", the files' entries follow from 1).
#pragma once
#include "base/String.h"

#include <cstdint>
#include <memory>
#include <vector>

class FileList;

struct VSD_TextureDesc {
    String file;
    String nmap;
    String specmap;
    String desc;
    int16_t tileWidth = 0;   // the texture building's own values; the placeholder's are 32 and 32
    int16_t tileHeight = 0;
    int16_t subX = 0;
    int16_t subY = 0;
    int16_t buildValues[4] = {};
    int32_t tileable = 0;
    int32_t passiveOverlap = 1;
    int16_t overlap = 0;
    uint16_t material = 0;
    int32_t sourceFile = 0;
    int32_t buildIndex = -1;
    std::unique_ptr<uint32_t[]> colours;  // minimap colours, colourWidth x colourHeight, row by row
    int32_t colourWidth = 0;
    int32_t colourHeight = 0;
    float heightScale = 0.02f;
    float specularPower = 5.0f;
    float specularLevel[3] = {1.0f, 1.0f, 1.0f};
};

// Reads the files of the list, in order, into records 1 to n of textures (emptied first, and left
// empty on failure); record 0 is "Dummy-floor". fallbackDir (may be null) replaces the directory of
// a file that does not exist. Returns the number of records, n + 1; 0 when a file is missing or
// unreadable or no entry is there; minus the number of records when entries lack "desc" or
// "file". Every failure leaves its reason in LevelErrorText.
int32_t ReadTextureDescFiles(std::vector<VSD_TextureDesc>& textures, const FileList& files, const char* fallbackDir,
                             bool withSourceFiles);
