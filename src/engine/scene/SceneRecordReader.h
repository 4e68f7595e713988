// SceneRecordReader: the typed reads of the scene file's records, each checked: a value the file
// does not hold any more ends the load with the error "Scene file cut short"; with the vector and
// matrix reads of the scene records.
#pragma once
#include "base/FileRecordReader.h"
#include "platform/D3DXMath.h"

class SceneRecordReader : public FileRecordReader {
public:
    explicit SceneRecordReader(File& file) : FileRecordReader(file, "Scene file cut short") {}

    D3DXVECTOR3 Vec3()
    {
        D3DXVECTOR3 v;
        v.x = F32();
        v.y = F32();
        v.z = F32();
        return v;
    }
    void Matrix(D3DXMATRIX& m)
    {
        for (auto& row : m.m)
            for (float& v : row)
                v = F32();
    }
};
