// WallDesc: one wall kind of a level's wall description files, the reader that turns the files
// into the array of kinds (the index is the wall description id), and the wall type names.
#pragma once
#include "base/String.h"

#include <cstdint>
#include <vector>

class ConfigFileReader;
class FileList;

struct WallDesc {
    static constexpr int32_t kNameSize = 128;  // 127 characters and the NUL

    // Wall type codes ("typ" as a number, or "type" as a name).
    static constexpr int16_t kTypeNone = -1;
    static constexpr int16_t kTypeNormal = 1;    // textured: "file" the texture, "nmap" its normal map
    static constexpr int16_t kTypeNoMesh = 2;
    static constexpr int16_t kTypeFileMesh = 3;  // "file" the front mesh, "fileBack" the back mesh
    static constexpr int16_t kTypeEffect = 4;

    int16_t id = 0;
    char desc[kNameSize] = {};
    char file[kNameSize] = {};
    char fileBack[kNameSize] = {};
    char nmap[kNameSize] = {};
    float height1 = 0.0f;
    float height2 = 0.0f;
    float scale = 0.0f;
    int32_t sizeU = 0;
    String objID;
    String editName;
    int32_t twoSided = 0;
    int32_t solid = 0;
    int32_t lightSemiPerm = 0;
    int32_t frontMirrored = 0;
    int32_t backMirrored = 0;
    int32_t localCoords = 0;
    uint16_t door = 0;
    uint16_t useSide = 0;
    int16_t type = 0;
    uint16_t needKey = 0;
    float opacity = 0.0f;
    int32_t entryPosition = 0;  // the entry's text within the reader's text
    int32_t entryLength = 0;
    int32_t sourceFile = 0;     // list slot of the entry's file, when asked for
    float dimensionXZ[2] = {};
};

// The type code of a type name (any letter case), kTypeNone for an unknown name.
int16_t ParseWallType(const char* name);

// Reads the files of the list, in order, into descs (emptied first, and left empty on failure).
// fallbackDir (may be null) replaces the directory of a file that does not exist; reader (may be
// null) receives the files and must outlive the records, which point into its text.
// Returns the number of records; 0 when a file is missing or unreadable or no entry is there;
// minus the number of entries when entries lack "desc" or a type. Every failure leaves its
// reason in LevelErrorText.
int32_t ReadWallDescFiles(std::vector<WallDesc>& descs, const FileList& files, const char* fallbackDir,
                          ConfigFileReader* reader, bool withSourceFiles);
