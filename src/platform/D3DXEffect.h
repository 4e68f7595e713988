// D3DXEffect: a shader effect without a shader compiler. The effect file reader
// (D3DXEffectFile.cpp) reads an effect file's declarations: global parameters with their types,
// sizes, semantics, annotations and initial values, and techniques with their passes, the passes'
// annotations and the shader profiles they compile for. Shader bodies are skipped unread and no
// shader code ever runs. What the graphics layer asks of a compiled effect works on that table:
// parameters by name, semantic or index, their descriptions and values, annotations, techniques
// and passes with their descriptions, validation against the device's shader versions, and the
// begin, pass, commit and end calls of drawing, which go into the device's journal.
//
// An effect can also be made in memory (CreateMemoryEffect) and filled by hand. Counts references
// like the device's objects: Release at zero frees it.
#pragma once
#include "platform/D3D9Journal.h"
#include "platform/D3D9Object.h"
#include "platform/D3D9Types.h"
#include "platform/D3DXMath.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class IDirect3DDevice9;
class IDirect3DTexture9;

// A handle: as in D3DX, a pointer the effect gives out (its entry's name characters); null is none.
using D3DXHANDLE = const char*;

enum D3DXPARAMETER_CLASS : uint32_t {
    D3DXPC_SCALAR,
    D3DXPC_VECTOR,
    D3DXPC_MATRIX_ROWS,
    D3DXPC_MATRIX_COLUMNS,
    D3DXPC_OBJECT,
    D3DXPC_STRUCT,
};

enum D3DXPARAMETER_TYPE : uint32_t {
    D3DXPT_VOID,
    D3DXPT_BOOL,
    D3DXPT_INT,
    D3DXPT_FLOAT,
    D3DXPT_STRING,
    D3DXPT_TEXTURE,
    D3DXPT_TEXTURE1D,
    D3DXPT_TEXTURE2D,
    D3DXPT_TEXTURE3D,
    D3DXPT_TEXTURECUBE,
    D3DXPT_SAMPLER,
    D3DXPT_SAMPLER1D,
    D3DXPT_SAMPLER2D,
    D3DXPT_SAMPLER3D,
    D3DXPT_SAMPLERCUBE,
    D3DXPT_PIXELSHADER,
    D3DXPT_VERTEXSHADER,
};

struct D3DXPARAMETER_DESC {
    const char* Name = nullptr;
    const char* Semantic = nullptr;
    D3DXPARAMETER_CLASS Class = D3DXPC_SCALAR;
    D3DXPARAMETER_TYPE Type = D3DXPT_VOID;
    uint32_t Rows = 0;
    uint32_t Columns = 0;
    uint32_t Elements = 0;  // 0 for a parameter that is no array
    uint32_t Annotations = 0;
    uint32_t StructMembers = 0;
    DWORD Flags = 0;
    uint32_t Bytes = 0;
};

struct D3DXTECHNIQUE_DESC {
    const char* Name = nullptr;
    uint32_t Passes = 0;
    uint32_t Annotations = 0;
};

// The shader functions are never compiled: a pass with a shader points at its version word.
struct D3DXPASS_DESC {
    const char* Name = nullptr;
    uint32_t Annotations = 0;
    const DWORD* pVertexShaderFunction = nullptr;
    const DWORD* pPixelShaderFunction = nullptr;
};

struct D3DXEFFECT_DESC {
    const char* Creator = nullptr;
    uint32_t Parameters = 0;
    uint32_t Techniques = 0;
    uint32_t Functions = 0;
};

// Begin's flag: the effect does not save and restore the device state around drawing.
constexpr DWORD D3DXFX_DONOTSAVESTATE = 1u << 0;

// A block of bytes D3DX hands back, here the compiler's message text (zero-terminated).
class ID3DXBuffer : public D3D9Object {
public:
    explicit ID3DXBuffer(std::string text) : D3D9Object(D3D9Kind::Effect), m_Text(std::move(text)) {}
    void* GetBufferPointer() { return m_Text.data(); }
    uint32_t GetBufferSize() const { return uint32_t(m_Text.size() + 1); }

private:
    ~ID3DXBuffer() override = default;
    std::string m_Text;
};

class ID3DXEffect : public D3D9Object {
public:
    void GetDesc(D3DXEFFECT_DESC* desc) const;

    // Parameters: parent null means the global ones (a struct's members are not kept).
    D3DXHANDLE GetParameter(D3DXHANDLE parent, uint32_t index) const;
    D3DXHANDLE GetParameterByName(D3DXHANDLE parent, const char* name) const;
    D3DXHANDLE GetParameterBySemantic(D3DXHANDLE parent, const char* semantic) const;
    D3DXHANDLE GetParameterElement(D3DXHANDLE parameter, uint32_t index) const;  // the array itself
    HRESULT GetParameterDesc(D3DXHANDLE parameter, D3DXPARAMETER_DESC* desc) const;
    // Annotations of a parameter, technique or pass.
    D3DXHANDLE GetAnnotation(D3DXHANDLE object, uint32_t index) const;
    D3DXHANDLE GetAnnotationByName(D3DXHANDLE object, const char* name) const;

    // Values, of parameters and annotations alike. D3DERR_INVALIDCALL for a handle this effect
    // did not give out, a null value, or a value of another kind (a string read as a number).
    HRESULT SetFloat(D3DXHANDLE parameter, float value);
    HRESULT GetFloat(D3DXHANDLE parameter, float* value) const;
    HRESULT SetInt(D3DXHANDLE parameter, int32_t value);
    HRESULT GetInt(D3DXHANDLE parameter, int32_t* value) const;
    HRESULT SetBool(D3DXHANDLE parameter, int32_t value) { return SetInt(parameter, value ? 1 : 0); }
    HRESULT SetVector(D3DXHANDLE parameter, const D3DXVECTOR4* value);
    HRESULT GetVector(D3DXHANDLE parameter, D3DXVECTOR4* value) const;
    HRESULT SetVectorArray(D3DXHANDLE parameter, const D3DXVECTOR4* values, uint32_t count);
    HRESULT SetFloatArray(D3DXHANDLE parameter, const float* values, uint32_t count);
    HRESULT GetFloatArray(D3DXHANDLE parameter, float* values, uint32_t count) const;
    HRESULT SetMatrix(D3DXHANDLE parameter, const D3DXMATRIX* value);
    HRESULT SetMatrixArray(D3DXHANDLE parameter, const D3DXMATRIX* values, uint32_t count);
    HRESULT GetString(D3DXHANDLE parameter, const char** value) const;
    // The texture is not kept referenced: the caller keeps it alive while the effect draws.
    HRESULT SetTexture(D3DXHANDLE parameter, IDirect3DTexture9* texture);
    HRESULT GetTexture(D3DXHANDLE parameter, IDirect3DTexture9** texture) const;

    // Techniques and passes.
    D3DXHANDLE GetTechnique(uint32_t index) const;
    D3DXHANDLE GetTechniqueByName(const char* name) const;
    HRESULT GetTechniqueDesc(D3DXHANDLE technique, D3DXTECHNIQUE_DESC* desc) const;
    D3DXHANDLE GetPass(D3DXHANDLE technique, uint32_t index) const;
    HRESULT GetPassDesc(D3DXHANDLE pass, D3DXPASS_DESC* desc) const;
    HRESULT SetTechnique(D3DXHANDLE technique);
    D3DXHANDLE GetCurrentTechnique() const { return m_Current ? m_Current->name.c_str() : nullptr; }
    // D3D_OK when every pass's shaders are within the device's shader versions (an effect made
    // without a device takes any); E_FAIL otherwise.
    HRESULT ValidateTechnique(D3DXHANDLE technique) const;

    // Drawing: Begin gives the current technique's pass count; BeginPass and EndPass bracket a
    // pass, CommitChanges sends changes within one, End closes. Calls out of order are refused.
    HRESULT Begin(uint32_t* passes, DWORD flags);
    HRESULT BeginPass(uint32_t pass);
    HRESULT CommitChanges();
    HRESULT EndPass();
    HRESULT End();
    // A device reset: the effect gives up what it keeps in the default pool, and makes it again.
    HRESULT OnLostDevice();
    HRESULT OnResetDevice();

    // Filling an effect by hand: a four-float parameter (its value starts at 0), and the number
    // of techniques (each of one pass without shaders).
    D3DXHANDLE AddParameter(const char* name, const char* semantic);
    void SetTechniqueCount(uint32_t count);
    uint32_t GetParameterCount() const { return uint32_t(m_Parameters.size()); }
    uint32_t GetTechniqueCount() const { return uint32_t(m_Techniques.size()); }
    uint32_t GetCommitCount() const { return m_Commits; }
    uint32_t GetLostNotices() const { return m_LostNotices; }
    uint32_t GetResetNotices() const { return m_ResetNotices; }
    bool IsInDrawing() const { return m_InDrawing; }
    int32_t GetCurrentPass() const { return m_CurrentPass; }

    // What the reader builds. Every entry (parameter, annotation, technique, pass) is one node;
    // its handle is its name's characters.
    enum class NodeKind : uint8_t { Parameter, Annotation, Technique, Pass };
    struct Node {
        NodeKind kind = NodeKind::Parameter;
        std::string name;
        std::string semantic;
        D3DXPARAMETER_CLASS paramClass = D3DXPC_SCALAR;
        D3DXPARAMETER_TYPE type = D3DXPT_VOID;
        uint32_t rows = 0;
        uint32_t columns = 0;
        uint32_t elements = 0;
        std::vector<float> values;  // rows x columns x max(1, elements); ints and bools as floats
        std::string text;           // a string's value
        IDirect3DTexture9* texture = nullptr;  // not referenced
        std::vector<Node*> annotations;
        std::vector<Node*> passes;  // of a technique
        DWORD vertexShader = 0;     // of a pass: the profile's version word, 0 none
        DWORD pixelShader = 0;
    };
    Node* NewNode(NodeKind kind, std::string name);  // kept by the effect, not yet listed
    void AddGlobal(Node* parameter) { m_Parameters.push_back(parameter); }
    void AddTechnique(Node* technique) { m_Techniques.push_back(technique); }

private:
    friend HRESULT CreateMemoryEffect(ID3DXEffect** effect);
    friend HRESULT CreateEffectFor(IDirect3DDevice9* device, ID3DXEffect** effect);
    explicit ID3DXEffect(IDirect3DDevice9* device);
    ~ID3DXEffect() override;
    Node* Find(D3DXHANDLE handle) const;
    Node* FindOf(D3DXHANDLE handle, NodeKind kind) const;
    Node* FindValue(D3DXHANDLE handle) const;  // a parameter or an annotation
    Node* FindNumbers(D3DXHANDLE handle) const;  // one of those that holds numbers
    HRESULT SetFloats(D3DXHANDLE parameter, const float* values, size_t count);
    // Records the call in the device's journal (a fault due there answers instead of body).
    template <class Body> HRESULT Journal(D3D9Op op, std::initializer_list<uint64_t> args, Body body);

    IDirect3DDevice9* m_Device = nullptr;  // referenced; none for a memory effect
    std::vector<std::unique_ptr<Node>> m_Nodes;
    std::unordered_map<const char*, Node*> m_Handles;
    std::vector<Node*> m_Parameters;
    std::vector<Node*> m_Techniques;
    Node* m_Current = nullptr;
    bool m_InDrawing = false;
    int32_t m_CurrentPass = -1;
    uint32_t m_Commits = 0;
    uint32_t m_LostNotices = 0;
    uint32_t m_ResetNotices = 0;
};

// An effect without parameters and with one technique, made without a device.
HRESULT CreateMemoryEffect(ID3DXEffect** effect);
// An empty effect of the device (none: made without one), for the file reader to fill.
HRESULT CreateEffectFor(IDirect3DDevice9* device, ID3DXEffect** effect);

// The effect file reader. The text's declarations become the effect's table; a syntax error, an
// unknown shader profile or a shader function the file lacks fails with E_FAIL and a compiler
// message ("<source>(<line>,<column>): error X3000: ...") in errors. The file is read as it is
// named (the caller resolves game paths). Preprocessor lines are skipped; defines, include and
// pool must be null (macros, includes and shared pools are not offered). Without a device the
// table is read all the same (every technique then validates).
// The text in memory; sourceName (else "memory") names it in the messages.
HRESULT D3DXCreateEffect(IDirect3DDevice9* device, const void* data, size_t size, const void* defines,
                         void* include, DWORD flags, void* pool, ID3DXEffect** effect, ID3DXBuffer** errors,
                         const char* sourceName = nullptr);
HRESULT D3DXCreateEffectFromFileA(IDirect3DDevice9* device, const char* fileName, const void* defines, void* include,
                                  DWORD flags, void* pool, ID3DXEffect** effect, ID3DXBuffer** errors);
