// Tests of RTXLoader's import into a scene: meshes welded by smoothing groups, texture coordinates
// and sub-meshes, skinned vertex formats, unique names, materials and maps on meshes, clones, the
// "Bounds" mesh, the environment map, and a text export against its binary scene file.
#include "engine/scene/RTXLoader.h"

#include "base/File.h"
#include "engine/scene/RTXLoaderFixture.h"
#include "engine/scene/SceneFileHeader.h"
#include "support/ErrorOf.h"
#include "support/LoadStateScope.h"
#include "support/LogCapture.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

std::string Num(float v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

// One "GEOMOBJECT" with a mesh block, written as the exporter writes it.
struct MeshText {
    struct Face {
        int a, b, c;
        std::string groups;  // "*MESH_SMOOTHING" list; empty: the keyword alone
        int materialId = 0;
    };
    std::string name = "Box";
    std::vector<D3DXVECTOR3> vertices;
    std::vector<Face> faces;
    std::string meshExtra;  // more of the mesh block (texture lists, weights, box)
    std::string nodeExtra;  // more of the node block

    std::string Text() const
    {
        std::string t = "*GEOMOBJECT {\n*NODE_NAME \"" + name + "\"\n" + nodeExtra + "\n*MESH {\n";
        t += "*MESH_NUMVERTEX " + std::to_string(vertices.size()) + "\n*MESH_NUMFACES " +
             std::to_string(faces.size()) + "\n*MESH_VERTEX_LIST {\n";
        for (size_t i = 0; i < vertices.size(); i++)
            t += "*MESH_VERTEX " + std::to_string(i) + " " + Num(vertices[i].x) + " " + Num(vertices[i].y) + " " +
                 Num(vertices[i].z) + "\n";
        t += "}\n*MESH_FACE_LIST {\n";
        for (size_t i = 0; i < faces.size(); i++) {
            const Face& f = faces[i];
            t += "*MESH_FACE " + std::to_string(i) + ": A: " + std::to_string(f.a) + " B: " + std::to_string(f.b) +
                 " C: " + std::to_string(f.c) + " AB: 1 BC: 1 CA: 0 *MESH_SMOOTHING " + f.groups +
                 " *MESH_MTLID " + std::to_string(f.materialId) + "\n";
        }
        return t + "}\n" + meshExtra + "\n}\n}\n";
    }
};

// The unit cube: vertex x + 2y + 4z at (x, y, z); two triangles per side, wound outwards; side s
// gets the groups that groups(s) gives.
MeshText Cube(const std::function<std::string(int)>& groups)
{
    MeshText m;
    for (int i = 0; i < 8; i++)
        m.vertices.emplace_back(float(i & 1), float((i >> 1) & 1), float((i >> 2) & 1));
    const int sides[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    for (int s = 0; s < 6; s++) {
        const int* q = sides[s];
        m.faces.push_back({q[0], q[1], q[2], groups(s)});
        m.faces.push_back({q[0], q[2], q[3], groups(s)});
    }
    return m;
}

// The vertex data of a built mesh.
struct Vertices {
    std::vector<D3DXVECTOR3> positions, normals;
    std::vector<std::vector<float>> blend;  // stored weights
    std::vector<uint32_t> bones;            // the four index bytes
    std::vector<D3DXVECTOR2> uv;            // of set 0
};

Vertices Read(DXC_Mesh& mesh)
{
    Vertices v;
    mesh.LockAll(0);
    const VertexLayout& l = mesh.layout;
    for (int32_t n = 0; n < mesh.vertexCount; n++) {
        v.positions.push_back(mesh.GetVertexPosition(n));
        v.normals.push_back(mesh.GetVertexNormal(n));
        std::vector<float> w;
        for (uint32_t i = 0; i + 1 < l.weightCount; i++)
            w.push_back(mesh.GetVertexFloat(n, l.blendWeightOffset + 4 * i));
        v.blend.push_back(w);
        uint32_t b = 0;
        if (l.weightCount > 0)
            std::memcpy(&b, mesh.VertexBytes(n) + l.boneIndexOffset, 4);
        v.bones.push_back(b);
        if (l.texSetCount > 0)
            v.uv.emplace_back(mesh.GetVertexFloat(n, l.texCoordOffset), mesh.GetVertexFloat(n, l.texCoordOffset + 4));
    }
    mesh.UnlockAll();
    return v;
}

class RTXLoaderSceneTest : public RTXLoaderFixture {
protected:
    DXC_Mesh& Built(const char* name)
    {
        DXC_Mesh* mesh = Mesh(scene, name);
        EXPECT_NE(mesh, nullptr) << name;
        return mesh ? *mesh : *scene.meshes.GetAt(0);
    }
};

}  // namespace

TEST_F(RTXLoaderSceneTest, CubeWeldsBySmoothingGroups)
{
    struct Case {
        const char* what;
        std::function<std::string(int)> groups;
        int32_t vertices;
    };
    const Case cases[] = {
        {"no groups: every face flat", [](int) { return std::string(); }, 36},
        {"one group per side", [](int s) { return std::to_string(s + 1); }, 24},
        {"one group for all", [](int) { return std::string("1"); }, 8},
        {"a common group among others", [](int s) { return std::to_string(s + 10) + ",5"; }, 8},
    };
    for (const Case& c : cases) {
        LogCapture log;
        loader.SetMessageLevel(10);
        LoadText(Cube(c.groups).Text());
        DXC_Mesh& mesh = Built("Box");
        ASSERT_EQ(mesh.vertexCount, c.vertices) << c.what;
        EXPECT_EQ(mesh.faceCount, 12) << c.what;
        // position and normal: without a material only slots with coordinates get a texture set
        EXPECT_EQ(mesh.layout.vertexFormat, 0x12u) << c.what;
        ASSERT_EQ(mesh.attributeCount, 1) << c.what;
        EXPECT_EQ(mesh.attributeTable[0].FaceCount, 12u);
        const Vertices v = Read(mesh);
        for (int32_t n = 0; n < mesh.vertexCount; n++) {
            EXPECT_NEAR(D3DXVec3Length(&v.normals[n]), 1.0f, 1e-6f) << c.what << " " << n;
            for (int axis = 0; axis < 3; axis++) {  // outwards: each component leans to its corner
                const float p = (&v.positions[n].x)[axis], d = (&v.normals[n].x)[axis];
                if (c.vertices == 8) {
                    EXPECT_GT(p > 0.5f ? d : -d, 0.0f) << c.what << " " << n;
                } else if (c.vertices == 36) {
                    EXPECT_TRUE(d == 0.0f || std::fabs(d) == 1.0f) << c.what << " " << n;
                }
            }
        }
        const std::string duplicated = std::to_string(c.vertices - 8) + " vertices duplicated in mesh 'Box'";
        EXPECT_EQ(log.Count(duplicated.c_str()), c.vertices > 8 ? 1 : 0) << c.what;
        EXPECT_EQ(log.Count("Zero normal sum"), 0);
    }

    // Load flag 0x08 adds diffuse and specular colours, the diffuse white.
    LoadText(Cube([](int) { return std::string("1"); }).Text(), 0x08);
    DXC_Mesh& coloured = Built("Box");
    EXPECT_EQ(coloured.layout.vertexFormat, 0xD2u);
    coloured.LockAll(0);
    uint32_t diffuse = 0;
    std::memcpy(&diffuse, coloured.VertexBytes(7) + coloured.layout.diffuseOffset, 4);
    coloured.UnlockAll();
    EXPECT_EQ(diffuse, 0xFFFFFFFFu);
}

TEST_F(RTXLoaderSceneTest, WeldingKeepsSubMeshesTextureCoordinatesAndDropsFlatFaces)
{
    LogCapture log;
    loader.SetMessageLevel(10);
    // A quad of two faces sharing vertices 0 and 2 with one group, and a face on a line.
    MeshText m;
    m.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {2, 2, 0}};
    m.faces = {{0, 1, 2, "1", 1}, {0, 2, 3, "1", 0}, {0, 2, 4, "1", 0}};
    const std::string material = "*MATERIAL_LIST { *MATERIAL 0 { *NUMSUBMTLS 2 *SUBMATERIAL 0 { *MATERIAL_NAME \"A\" "
                                 "*MATERIAL_DIFFUSE 1 0 0 } *SUBMATERIAL 1 { *MATERIAL_NAME \"B\" "
                                 "*MATERIAL_DIFFUSE 0 1 0 } } }\n";

    // Equal texture coordinates at the shared corners: four vertices.
    m.meshExtra = "*MESH_NUMTVERTEX 4 *MESH_TVERTLIST { *MESH_TVERT 0 0 0 0 *MESH_TVERT 1 1 0 0 *MESH_TVERT 2 1 1 0 "
                  "*MESH_TVERT 3 0 1 0 } *MESH_NUMTVFACES 3 *MESH_TFACELIST { *MESH_TFACE 0 0 1 2 "
                  "*MESH_TFACE 1 0 2 3 *MESH_TFACE 2 0 2 3 }";
    LoadText(m.Text());
    EXPECT_EQ(Built("Box").vertexCount, 4);
    EXPECT_EQ(Built("Box").faceCount, 2);
    EXPECT_EQ(log.Count("Invalid face 2 in mesh 'Box'"), 1);
    EXPECT_EQ(Built("Box").layout.vertexFormat, 0x112u);  // one set: the mesh's own coordinates
    const Vertices v = Read(Built("Box"));
    EXPECT_EQ(v.uv[2], D3DXVECTOR2(1, 0));  // v is stored as 1 - v

    // Another coordinate at a shared corner splits it.
    std::string split = m.meshExtra;
    split.replace(split.find("*MESH_TFACE 1 0 2 3"), 19, "*MESH_TFACE 1 3 2 3");
    MeshText other = m;
    other.meshExtra = split;
    LoadText(other.Text());
    EXPECT_EQ(Built("Box").vertexCount, 5);

    // Faces of two sub-materials share nothing; sub-mesh 0 is the material id met first (1), and
    // material entry n belongs to sub-mesh n.
    m.nodeExtra = "*MATERIAL_REF 0";
    LoadText(material + m.Text());
    DXC_Mesh& mesh = Built("Box");
    EXPECT_EQ(mesh.vertexCount, 6);
    ASSERT_EQ(mesh.attributeCount, 2);
    EXPECT_EQ(mesh.attributeTable[0].AttribId, 0u);
    EXPECT_EQ(mesh.attributeTable[1].FaceCount, 1u);
    ASSERT_EQ(mesh.materialCount, 2);
    EXPECT_EQ(mesh.materials[0].diffuse.g, 1.0f);
    EXPECT_EQ(mesh.materials[1].diffuse.r, 1.0f);

    // Ids wrap by the sub-material count: 3 is 1, -1 is 1 too.
    m.faces[0].materialId = 3;
    m.faces[1].materialId = -1;
    LoadText(material + m.Text());
    EXPECT_EQ(Built("Box").attributeCount, 1);
    EXPECT_EQ(Built("Box").vertexCount, 4);
}

TEST_F(RTXLoaderSceneTest, SkinnedVertexFormatFromTheWeightCount)
{
    struct Case {
        const char* weights;  // "*BONE_WEIGHT" blocks
        uint32_t format;
        const char* message;
    };
    auto bone = [](int b, const char* indexWeights) {
        return "*BONE_WEIGHT { *BONE_NAME \"B" + std::to_string(b) + "\" " + indexWeights + " }";
    };
    const std::string one = bone(0, "*INDEX_WEIGHT 0 1 *INDEX_WEIGHT 1 1") + bone(1, "*INDEX_WEIGHT 2 1");
    const std::string three = bone(0, "*INDEX_WEIGHT 0 0.5") + bone(1, "*INDEX_WEIGHT 0 0.3 *INDEX_WEIGHT 1 1") +
                              bone(2, "*INDEX_WEIGHT 0 0.2 *INDEX_WEIGHT 2 1");
    std::string five;
    const char* w[5] = {"0.4", "0.3", "0.15", "0.2", "0.25"};
    for (int b = 0; b < 5; b++)
        five += bone(b, (std::string("*INDEX_WEIGHT 0 ") + w[b]).c_str());
    const std::string light = bone(0, "*INDEX_WEIGHT 0 0.05 *INDEX_WEIGHT 1 0.09");
    const Case cases[] = {
        {one.c_str(), 0x1018, "Only one bone in object Skin"},
        {three.c_str(), 0x101A, nullptr},
        {five.c_str(), 0x101C, "More than 4 bones in vertex of object 'Skin'"},
        {light.c_str(), 0x12, nullptr},  // every weight below the minimum: no skinning
    };
    for (const Case& c : cases) {
        LogCapture log;
        MeshText m;
        m.name = "Skin";
        m.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
        m.faces = {{0, 1, 2, "1"}};
        m.meshExtra = std::string("*MESH_WEIGHTS { *MESH_INIT_TM { *TM_ROW3 0 0 0 } ") + c.weights + " }";
        LoadText(m.Text());
        DXC_Mesh& mesh = Built("Skin");
        EXPECT_EQ(mesh.layout.vertexFormat, c.format) << c.weights;
        if (c.message) {
            EXPECT_GE(log.Count(c.message), 1) << c.weights;
        }
        EXPECT_EQ(log.Count("Only one bone"), c.format == 0x1018 ? 1 : 0);
        const Vertices v = Read(mesh);
        ASSERT_EQ(v.positions.size(), 3u);
        const int32_t vertex0 = v.positions[0] == D3DXVECTOR3(0, 0, 0) ? 0 : (v.positions[1] == D3DXVECTOR3() ? 1 : 2);
        if (c.format == 0x1018) {
            EXPECT_EQ(v.blend[vertex0], std::vector<float>{1.0f});
            EXPECT_EQ(mesh.vertexBlendMode, 1u);
        } else if (c.format == 0x101C) {
            // The fifth weight (0.25) took the slot of the smallest (0.15, bone 2).
            EXPECT_EQ(v.blend[vertex0], (std::vector<float>{0.4f, 0.3f, 0.25f}));
            EXPECT_EQ(v.bones[vertex0], 0x03040100u);
            EXPECT_EQ(mesh.GetBoneCount(), 5);
        }
    }
}

TEST_F(RTXLoaderSceneTest, DuplicateNamesGetAProgramWideNumber)
{
    LogCapture log;
    MeshText m = Cube([](int) { return std::string("1"); });
    LoadText(m.Text() + m.Text() + "*GEOMOBJECT { *NODE_NAME \"Box\" *CLONE \"Box\" }");
    ASSERT_EQ(scene.GetMeshCount(), 3);
    const std::string second = scene.meshes.GetAt(1)->objectName.c_str();
    ASSERT_EQ(second.rfind("Box __", 0), 0u) << second;
    const int number = std::stoi(second.substr(6));
    EXPECT_EQ(second, "Box __" + std::to_string(number) + "__");
    EXPECT_STREQ(scene.meshes.GetAt(2)->GetObjectName(), ("Box __" + std::to_string(number + 1) + "__").c_str());
    EXPECT_EQ(log.Count("Multiple mesh objects with the same name: 'Box'"), 2);
    // The clone found its source by the first name and shares its geometry.
    EXPECT_EQ(scene.meshes.GetAt(2)->deviceMesh, scene.meshes.GetAt(0)->deviceMesh);

    // The counter runs on through the next file.
    LoadText(m.Text() + m.Text());
    EXPECT_STREQ(scene.meshes.GetAt(1)->GetObjectName(), ("Box __" + std::to_string(number + 2) + "__").c_str());
}

TEST_F(RTXLoaderSceneTest, BoundsMeshGivesTheSceneBounds)
{
    for (const char* name : {"Bounds", "bOUNDS"}) {
        LogCapture log;
        MeshText bounds = Cube([](int) { return std::string("1"); });
        bounds.name = name;
        for (D3DXVECTOR3& p : bounds.vertices)
            p = D3DXVECTOR3(p.x * 2 - 1, p.y * 4 - 2, p.z * 6 - 3);
        bounds.nodeExtra = "*NODE_TM { *TM_ROW3 10 0 0 *TM_POS 10 0 0 }";
        MeshText skin = Cube([](int) { return std::string("1"); });
        skin.name = "Skin";
        skin.meshExtra = "*MESH_WEIGHTS { *BONE_WEIGHT { *BONE_NAME \"Child\" *INDEX_WEIGHT 0 1 } }";
        LoadText(bounds.Text() + skin.Text() + "*HELPEROBJECT { *NODE_NAME \"Child\" *NODE_PARENT \"" + name +
                 "\" }");
        EXPECT_EQ(scene.GetMeshCount(), 1) << name;  // the "Bounds" mesh is gone
        EXPECT_EQ(scene.FindMesh(name, false), nullptr);
        EXPECT_EQ(scene.boxMin, D3DXVECTOR3(9, -2, -3)) << name;
        EXPECT_EQ(scene.boxMax, D3DXVECTOR3(11, 2, 3)) << name;
        EXPECT_EQ(scene.boundsCentre, D3DXVECTOR3(10, 0, 0));
        EXPECT_FLOAT_EQ(scene.boundsRadius, std::sqrt(14.0f));  // the mesh's radius about its origin
        EXPECT_EQ(scene.boundsFlags, 3u);
        EXPECT_EQ(log.Count("Skinned meshes without 'Bounds' object"), 0);
        DXC_3dObject* child = Helper(scene, "Child");
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(child->parent, nullptr);  // it pointed at the removed mesh
        scene.SetAniTime(0.5, 1, 1);
    }

    // Without it the bounds come from the objects, and skinned meshes warn.
    LogCapture log;
    MeshText skin = Cube([](int) { return std::string("1"); });
    skin.name = "Skin";
    skin.meshExtra = "*MESH_WEIGHTS { *BONE_WEIGHT { *BONE_NAME \"B\" *INDEX_WEIGHT 0 1 } }";
    LoadText(skin.Text());
    EXPECT_EQ(log.Count("Skinned meshes without 'Bounds' object"), 1);
    EXPECT_EQ(scene.boxMax, D3DXVECTOR3(1, 1, 1));
    EXPECT_EQ(scene.boundsFlags, 0u);
}

TEST_F(RTXLoaderSceneTest, MaterialsAndMapsOnMeshes)
{
    LogCapture log;
    dir.Write("maps/skin.tga", "not decoded on the server");
    MeshText m = Cube([](int) { return std::string("1"); });
    m.nodeExtra = "*MATERIAL_REF 0";
    m.meshExtra = "*MESH_NUMTVERTEX 1 *MESH_TVERTLIST { *MESH_TVERT 0 0.5 0.5 0 } *MESH_NUMTVFACES 12 "
                  "*MESH_MAPPINGCHANNEL 2 { *MESH_NUMTVERTEX 1 *MESH_TVERTLIST { *MESH_TVERT 0 0.25 0.25 0 } "
                  "*MESH_NUMTVFACES 12 *MESH_TFACELIST { ";
    for (int f = 0; f < 12; f++)
        m.meshExtra += "*MESH_TFACE " + std::to_string(f) + " 0 0 0 ";
    m.meshExtra += "} }";
    const std::string materials =
        "*SCENE { *SCENE_FRAMESPEED 30 *SCENE_TICKSPERFRAME 160 }\n"
        "*MATERIAL_LIST { *MATERIAL 0 { *MATERIAL_NAME \"Skin\" *MATERIAL_DIFFUSE 0.5 0.5 0.5 "
        "*MATERIAL_SPECULAR 1 0.5 0 *MATERIAL_SHINESTRENGTH 0.5 *MATERIAL_SHINE 0.2 *MATERIAL_TRANSPARENCY 0 "
        "*MAP_DIFFUSE { *BITMAP \"maps\\skin.tga\" *MAP_CHANNEL 2 *UVW_U_TILING 2 *UVW_V_OFFSET 0.25 "
        "*UVW_TILE_U \"Mirror\" *UVW_TILE_V \"Tile\" } "
        "*MAP_DIFFUSE { *BITMAP \"missing.tga\" *UVW_TILE_U \"Mirror\" *MAP_ANIMATION { *MAP_ATTRIBUTE \"TileU\" "
        "*CONTROL_FLOAT_BEZIER { *CONTROL_BEZIER_FLOAT_KEY 0 1 0 0 *CONTROL_BEZIER_FLOAT_KEY 4800 3 0.5 0 } } } } }\n";
    LoadText(materials + m.Text());
    DXC_Mesh& mesh = Built("Box");
    ASSERT_EQ(mesh.materialCount, 1);
    const DXC_Material& d = mesh.materials[0];
    EXPECT_EQ(d.diffuse.r, 1.0f);  // a diffuse map makes diffuse and ambient white
    EXPECT_EQ(d.ambient.g, 1.0f);
    EXPECT_EQ(d.specular.r, 0.5f);  // times the shine strength
    EXPECT_EQ(d.specular.a, 1.0f);
    EXPECT_FLOAT_EQ(d.power, 20.0f);
    EXPECT_EQ(mesh.IsTransparent(), 0);
    EXPECT_EQ(log.Count("Can not open map '"), 1);
    EXPECT_EQ(log.Count("missing.tga'"), 1);

    // The map's channel 2 is the mesh's second slot, which becomes the only texture set.
    EXPECT_EQ(mesh.layout.texSetCount, 1u);
    EXPECT_EQ(Read(mesh).uv[0], D3DXVECTOR2(0.25f, 0.75f));
    const DXC_Texture& t = mesh.textures[0];
    EXPECT_TRUE(t.stageTextures[0] != nullptr);  // the server's placeholder
    EXPECT_EQ(t.stages[0].mapType, MAP_DIFFUSE);
    EXPECT_EQ(t.stages[0].texCoordIndex, 0);
    EXPECT_EQ(t.stages[0].mirrorU, 1);
    EXPECT_EQ(t.stages[0].wrapV, 1);
    EXPECT_EQ(t.stages[1].mapType, MAP_DIFFUSE);
    EXPECT_EQ(t.stageTextures[1], nullptr);

    // Mirrored U: twice the scale, the offset half a repeat back, the tile track doubled; the
    // matrix scales, and its third row holds the translation.
    const DXC_MapInfo& stage = t.stages[0];
    EXPECT_EQ(stage.animation.constants[2], 4.0f);
    EXPECT_EQ(stage.animation.constants[0], -0.125f);
    EXPECT_EQ(stage.animation.constants[1], 0.25f);
    const BezierSpline<float>& tile = t.stages[1].animation.curves[2];
    ASSERT_EQ(tile.GetNumKeys(), 2);
    EXPECT_EQ(tile.GetKey(1).value, 6.0f);
    EXPECT_EQ(tile.GetKey(1).inTangent, 1.0f * 4800);  // doubled, then times the segment in ticks
    EXPECT_FLOAT_EQ(tile.GetKey(1).time, 1.0f);
    EXPECT_EQ(t.stages[1].animation.constants[0], -0.25f);
    EXPECT_EQ(stage.transformActive, 1);
    EXPECT_EQ(stage.textureMatrix.m[0][0], 4.0f);
    EXPECT_EQ(stage.textureMatrix.m[1][1], 1.0f);
    EXPECT_FLOAT_EQ(stage.textureMatrix.m[2][0], (-0.5f + 0.125f) * 4.0f + 0.5f);
    EXPECT_FLOAT_EQ(stage.textureMatrix.m[2][1], -0.25f + 0.5f);
    EXPECT_EQ(stage.textureMatrix.m[2][2], 1.0f);
    EXPECT_EQ(stage.textureMatrix.m[3][3], 1.0f);

    // Without textures the mesh gets its materials only.
    LoadText(materials + m.Text(), 0x04);
    EXPECT_EQ(Built("Box").textures[0].stages[0].mapType, MAP_NONE);
    EXPECT_EQ(Built("Box").materials[0].diffuse.r, 0.5f);
}

TEST_F(RTXLoaderSceneTest, TransparencyAndMaterialsOfMeshesWithoutOne)
{
    struct Case {
        const char* material;
        int transparent;
    };
    const Case cases[] = {
        {"*MATERIAL_TRANSPARENCY 0", 0},
        {"*MATERIAL_TRANSPARENCY -0.5", 0},
        {"*MATERIAL_TRANSPARENCY 0.25", 1},
        {"*MATERIAL_ANIMATION { *MATERIAL_ATTRIBUTE \"Opacity\" *CONTROL_FLOAT_LINEAR { *CONTROL_FLOAT_KEY 0 1 "
         "*CONTROL_FLOAT_KEY 160 0.5 } }",
         1},
    };
    MeshText m = Cube([](int) { return std::string("1"); });
    m.nodeExtra = "*MATERIAL_REF 0";
    for (const Case& c : cases) {
        LoadText(std::string("*MATERIAL_LIST { *MATERIAL 0 { ") + c.material + " } }" + m.Text());
        EXPECT_EQ(Built("Box").IsTransparent(), c.transparent) << c.material;
        EXPECT_EQ(scene.opaqueMeshCount, 1 - c.transparent);
    }

    // No material, or one past the list: one material in the mesh's own colour.
    LogCapture log;
    m.nodeExtra = "*WIREFRAME_COLOR 0.25 0.5 1";
    LoadText(m.Text());
    ASSERT_EQ(Built("Box").materialCount, 1);
    EXPECT_EQ(Built("Box").materials[0].diffuse.g, 0.5f);
    m.nodeExtra = "*MATERIAL_REF 4";
    LoadText("*MATERIAL_LIST { }" + m.Text());
    EXPECT_EQ(Built("Box").materialCount, 1);
    EXPECT_EQ(log.Count("Invalid material index 4 in mesh 'Box'"), 1);
}

TEST_F(RTXLoaderSceneTest, ClonesAndTheEnvironmentMap)
{
    LogCapture log;
    dir.Write("env.tga", "image");
    MeshText m = Cube([](int) { return std::string("1"); });
    m.name = "Source";
    const std::string text = "*SCENE { *SCENE_ENVMAP { *BITMAP \"env.tga\" } }\n"
                             "*GEOMOBJECT { *NODE_NAME \"Copy\" *NODE_PARENT \"Source\" *CLONE \"Source\" "
                             "*NODE_TM { *TM_ROW3 5 0 0 *TM_POS 5 0 0 } }\n" +
                             m.Text();
    LoadText(text);
    ASSERT_NE(scene.environmentTexture, nullptr);
    EXPECT_TRUE(scene.environmentTexture->IsValid());
    DXC_Mesh& copy = Built("Copy");
    EXPECT_EQ(copy.deviceMesh, Built("Source").deviceMesh);
    EXPECT_EQ(copy.vertexCount, 8);
    EXPECT_EQ(copy.parent, &Built("Source"));
    EXPECT_EQ(copy.position, D3DXVECTOR3(5, 0, 0));
    EXPECT_EQ(copy.materialCount, 1);

    // Loading again frees the old environment texture; a missing one warns.
    dir.Write("model.rtx", "*SCENE { *SCENE_ENVMAP { *BITMAP \"none.tga\" } }");
    loader.LoadSceneFile(&scene, dir("model.rtx").c_str(), 0);
    EXPECT_EQ(scene.environmentTexture, nullptr);
    EXPECT_EQ(log.Count("Can not open environment texture file "), 1);

    std::string lost = text;
    lost.replace(lost.find("*CLONE \"Source\""), 15, "*CLONE \"source\"");
    EXPECT_NE(DxcErrorOf([&] { LoadText(lost); }).find("Clone Mesh 'source' not found"), std::string::npos);
}

TEST_F(RTXLoaderSceneTest, FaceIndicesAndTheVertexLimit)
{
    // A vertex table declared again, smaller, after the faces.
    MeshText m;
    m.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    m.faces = {{0, 1, 2, "1"}};
    m.meshExtra = "*MESH_NUMVERTEX 2 *MESH_VERTEX_LIST { *MESH_VERTEX 0 0 0 0 *MESH_VERTEX 1 1 0 0 }";
    const std::string shrunk = DxcErrorOf([&] { LoadText(m.Text()); });
    EXPECT_NE(shrunk.find("Invalid vertex index 2 in face 0 of mesh 'Box'"), std::string::npos) << shrunk;

    // More than 65535 vertices after welding: the mesh creation's error.
    MeshText big;
    big.name = "Big";
    const int sources = 1000;
    for (int i = 0; i < sources; i++)
        big.vertices.emplace_back(float(i), float((i * i) % 97), float((i * i * i) % 89));
    for (int f = 0; f < 22000; f++)
        big.faces.push_back({f % sources, (f + 1) % sources, (f + 3) % sources, ""});
    const std::string error = DxcErrorOf([&] { LoadText(big.Text()); });
    EXPECT_NE(error.find("only 65535 allowed (Mesh: 'Big')"), std::string::npos) << error;
}

TEST_F(RTXLoaderSceneTest, TextExportAndItsBinarySceneAgree)
{
    LoadStateScope scope;
    LogCapture log;
    const std::string file = kRtxFixtures + "creature.rtx";
    loader.LoadSceneFile(&scene, file.c_str(), 0);
    DXC_SceneInfo info;
    loader.GetSceneInfo(info);
    const std::string binary = dir / "creature.3sc";
    ASSERT_EQ(scene.WriteFile(binary.c_str(), info), 1);

    File in;
    ASSERT_TRUE(in.Open(String(binary.c_str())));
    DXC_SceneInfo read;
    int32_t version = 0;
    ASSERT_TRUE(SceneFileHeader::Read(in, read, version, gfx, binary.c_str()));
    EXPECT_EQ(read.lastFrame, info.lastFrame);
    SceneLoadState& state = SceneLoadState::Current();
    state.version = version;
    state.loadGeometry = true;
    state.postProcess = true;
    DXC_3dScene back;
    back.Read(in, gfx);

    auto times = [](auto* first) {
        std::vector<float> t;
        for (auto* k = first; k; k = k->next)
            t.push_back(k->time);
        return t;
    };
    auto same = [&](DXC_3dObject& a, DXC_3dObject& b) {
        EXPECT_EQ(a.objectName, b.objectName);
        EXPECT_EQ(a.parentName, b.parentName) << a.GetObjectName();
        EXPECT_EQ((a.parent ? a.parent->objectName : String()), (b.parent ? b.parent->objectName : String()));
        EXPECT_EQ(times(a.posKeys), times(b.posKeys)) << a.GetObjectName();
        EXPECT_EQ(times(a.rotKeys), times(b.rotKeys)) << a.GetObjectName();
        EXPECT_EQ(times(a.scaleKeys), times(b.scaleKeys)) << a.GetObjectName();
    };
    ASSERT_EQ(back.GetObjectCount(), scene.GetObjectCount());
    for (int32_t i = 0; i < scene.GetObjectCount(); i++)
        same(*scene.objects.GetAt(i), *back.objects.GetAt(i));
    ASSERT_EQ(back.GetMeshCount(), scene.GetMeshCount());
    for (int32_t i = 0; i < scene.GetMeshCount(); i++) {
        same(*scene.meshes.GetAt(i), *back.meshes.GetAt(i));
        if (scene.meshes.GetAt(i)->cloneSourceName.IsEmpty()) {  // a clone's geometry is linked on loading
            EXPECT_EQ(back.meshes.GetAt(i)->vertexCount, scene.meshes.GetAt(i)->vertexCount);
        }
    }
    ASSERT_EQ(back.GetCameraCount(), 1);
    same(*scene.cameras.GetAt(0), *back.cameras.GetAt(0));
    ASSERT_EQ(back.GetLightCount(), 2);
    same(*scene.lights.GetAt(1), *back.lights.GetAt(1));
}
