// The records of scene nodes in binary scene files: the object record every record begins with,
// and the target, camera and light records.
//
// Object record (little-endian):
//   u16 record id 0x1234, i32 kind,
//   transform block: 16 f32 base matrix, 3 f32 extra scale, 3 f32 position, 3 f32 scale,
//   3 f32 rotation axis, f32 rotation angle (116 bytes),
//   offset matrix: four rows of three f32 (the fourth column is 0, 0, 0, 1),
//   String name, String parent name, u8 inheritance bits (position, scale, rotation, mirror),
//   i32 position key count [chain], i32 rotation key count [chain], i32 scale key count [chain],
//   i32 loop word, f32 animation range,
//   version 108 on: f32 opacity and the opacity curve; version 109 on: u8 inherit opacity.
// Target record: the object record, String target name. Camera: the target record, f32 field of
// view. Light: the target record, i32 second light word, i32 first light word, then the light
// record's 26 words (type, diffuse, specular, ambient, position, direction, range, falloff, three
// attenuations, inner and outer cone angle).
#include "engine/scene/DXC_3dObject.h"

#include "base/File.h"
#include "engine/scene/DXC_Camera.h"
#include "engine/scene/DXC_Light.h"
#include "engine/scene/SceneLoadState.h"
#include "engine/scene/SceneRecordReader.h"

namespace {

constexpr uint16_t kRecordId = 0x1234;

template <class K> void WriteChain(DXC_3dObject& node, File& file, const K* first, int32_t count, const char* message)
{
    if (K::Count(first) != count)
        node.Error("%s", message);  // the file is left as it is
    file.WriteInt32(count);
    if (first)
        first->Write(file);
}

template <class K> void ReadChain(SceneRecordReader& in, K*& first, int32_t& count)
{
    count = in.I32();
    if (count <= 0) {
        count = 0;
        return;
    }
    first = new K;  // the node owns what was read, also when the chain turns out cut short
    first->Read(in.GetFile());
}

void WriteColor(File& file, const D3DCOLORVALUE& c)
{
    file.WriteFloat(c.r);
    file.WriteFloat(c.g);
    file.WriteFloat(c.b);
    file.WriteFloat(c.a);
}

D3DCOLORVALUE ReadColor(SceneRecordReader& in)
{
    D3DCOLORVALUE c;
    c.r = in.F32();
    c.g = in.F32();
    c.b = in.F32();
    c.a = in.F32();
    return c;
}

void WriteVec3(File& file, const D3DXVECTOR3& v)
{
    file.WriteFloat(v.x);
    file.WriteFloat(v.y);
    file.WriteFloat(v.z);
}


}  // namespace

void DXC_3dObject::WriteObjectRecord(File& file) const
{
    DXC_3dObject& self = const_cast<DXC_3dObject&>(*this);  // for the error reports only
    file.WriteInt16(kRecordId);
    file.WriteInt32(kind);
    for (const auto& row : baseMatrix.m)
        file.WriteFloats(row, 4);
    WriteVec3(file, extraScale);
    WriteVec3(file, position);
    WriteVec3(file, scale);
    WriteVec3(file, rotationAxis);
    file.WriteFloat(rotationAngle);
    for (const auto& row : offsetMatrix.m)
        file.WriteFloats(row, 3);
    file.WriteString(objectName);
    file.WriteString(parentName);
    file.WriteInt8((inheritPosition ? 1 : 0) | (inheritScale ? 2 : 0) | (inheritRotation ? 4 : 0) |
                   (inheritMirror ? 8 : 0));
    WriteChain(self, file, posKeys, numPosKey, "numPosKey does not match actual size");
    WriteChain(self, file, rotKeys, numRotKey, "numRotKey does not match actual size");
    WriteChain(self, file, scaleKeys, numScaleKey, "numScaleKey does not match actual size");
    file.WriteInt32(int32_t(aniLoop));
    file.WriteFloat(aniRange);
    file.WriteFloat(opacity);
    opacityCurve.Save(file);
    file.WriteInt8(inheritOpacity);
}

void DXC_3dObject::ReadObjectRecord(File& file)
{
    SceneRecordReader in(file);
    const int32_t version = SceneLoadState::Current().version;
    if (in.U16() != kRecordId)
        Error("Invalid file read id, file: %s", file.GetFileName().c_str());
    kind = in.I32();
    in.Matrix(baseMatrix);
    extraScale = in.Vec3();
    position = in.Vec3();
    scale = in.Vec3();
    rotationAxis = in.Vec3();
    rotationAngle = in.F32();
    D3DXMatrixIdentity(&offsetMatrix);
    for (auto& row : offsetMatrix.m)
        for (int c = 0; c < 3; c++)
            row[c] = in.F32();
    in.Text(objectName);
    in.Text(parentName);
    const uint8_t inherit = in.U8();
    inheritPosition = inherit & 1;
    inheritScale = (inherit >> 1) & 1;
    inheritRotation = (inherit >> 2) & 1;
    inheritMirror = (inherit >> 3) & 1;
    ReadChain(in, posKeys, numPosKey);
    ReadChain(in, rotKeys, numRotKey);
    ReadChain(in, scaleKeys, numScaleKey);
    aniLoop = in.U32();
    aniRange = in.F32();
    if (version >= 108) {
        opacity = in.F32();
        opacityCurve.Load(file);
    }
    if (version >= 109)
        inheritOpacity = in.U8();
}

void DXC_3dObject::FinishRead()
{
    const SceneLoadState& state = SceneLoadState::Current();
    if (state.keyWindowOn)
        CropKeys(state.keyWindowStart, state.keyWindowEnd);
    BuildKeyTimeTables();
    SetAniTime(0.0, 1, 0);
    transformChanged = 1;
    worldValid = 0;
}

int DXC_3dObject::Write(File& file)
{
    WriteObjectRecord(file);
    return 1;
}

int DXC_3dObject::Read(File& file)
{
    Reset();
    ReadObjectRecord(file);
    FinishRead();
    return 1;
}

int DXC_Target3dObject::Write(File& file)
{
    WriteObjectRecord(file);
    file.WriteString(targetName);
    return 1;
}

int DXC_Target3dObject::Read(File& file)
{
    Reset();
    ReadObjectRecord(file);
    SceneRecordReader(file).Text(targetName);
    FinishRead();
    return 1;
}

int DXC_Camera::Write(File& file)
{
    DXC_Target3dObject::Write(file);
    file.WriteFloat(fieldOfView);
    return 1;
}

int DXC_Camera::Read(File& file)
{
    Reset();
    kind = OBJ_KIND_CAMERA;
    ReadObjectRecord(file);
    SceneRecordReader in(file);
    in.Text(targetName);
    fieldOfView = in.F32();
    FinishRead();
    return 1;
}

int DXC_Light::Write(File& file)
{
    DXC_Target3dObject::Write(file);
    file.WriteInt32(int32_t(lightWordB));
    file.WriteInt32(int32_t(lightWordA));
    const LightParams& p = lightParams;
    file.WriteInt32(int32_t(p.Type));
    WriteColor(file, p.Diffuse);
    WriteColor(file, p.Specular);
    WriteColor(file, p.Ambient);
    file.WriteFloats(p.Position, 3);
    file.WriteFloats(p.Direction, 3);
    const float rest[7] = {p.Range, p.Falloff, p.Attenuation0, p.Attenuation1, p.Attenuation2, p.Theta, p.Phi};
    file.WriteFloats(rest, 7);
    return 1;
}

int DXC_Light::Read(File& file)
{
    Reset();
    kind = OBJ_KIND_LIGHT;
    ReadObjectRecord(file);
    SceneRecordReader in(file);
    in.Text(targetName);
    lightWordB = in.U32();
    lightWordA = in.U32();
    LightParams& p = lightParams;
    p.Type = in.U32();
    p.Diffuse = ReadColor(in);
    p.Specular = ReadColor(in);
    p.Ambient = ReadColor(in);
    for (float& v : p.Position)
        v = in.F32();
    for (float& v : p.Direction)
        v = in.F32();
    for (float* v : {&p.Range, &p.Falloff, &p.Attenuation0, &p.Attenuation1, &p.Attenuation2, &p.Theta, &p.Phi})
        *v = in.F32();
    FinishRead();
    return 1;
}
