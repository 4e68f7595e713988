// FuzzEffectFile: effect file texts as the effect reader takes them. A text is read or refused
// with a compiler message; a read effect's table is walked whole (every parameter with its
// annotations and values, every technique and pass), and its sizes stay within the reader's limits.
#include "FuzzTarget.h"

#include "platform/D3DXEffect.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size > Fuzz::kMaxInput)
        return 0;
    ID3DXEffect* effect = nullptr;
    ID3DXBuffer* errors = nullptr;
    const HRESULT result = D3DXCreateEffect(nullptr, data, size, nullptr, nullptr, 0, nullptr, &effect, &errors);
    if (FAILED(result)) {
        if (effect)
            Fuzz::Finding("a refused text left an effect");
        if (!errors || errors->GetBufferSize() <= 1)
            Fuzz::Finding("a refused text without a compiler message");
        if (errors)
            errors->Release();
        return 0;
    }
    if (errors)
        Fuzz::Finding("a read text with a compiler message");
    D3DXEFFECT_DESC desc;
    effect->GetDesc(&desc);
    if (desc.Parameters > 4096 || desc.Techniques > 256)
        Fuzz::Finding("an effect past the reader's limits");
    std::vector<float> values;
    for (uint32_t i = 0; i < desc.Parameters; i++) {
        D3DXHANDLE parameter = effect->GetParameter(nullptr, i);
        D3DXPARAMETER_DESC p;
        if (effect->GetParameterDesc(parameter, &p) != D3D_OK)
            Fuzz::Finding("a listed parameter without a description");
        values.assign(p.Bytes / sizeof(float) + 1, 0.0f);
        effect->GetFloatArray(parameter, values.data(), uint32_t(values.size()));
        for (uint32_t a = 0; a < p.Annotations; a++) {
            D3DXHANDLE annotation = effect->GetAnnotation(parameter, a);
            const char* text = nullptr;
            float v[16];
            if (effect->GetString(annotation, &text) != D3D_OK && effect->GetFloatArray(annotation, v, 16) != D3D_OK)
                Fuzz::Finding("an annotation that reads as neither text nor number");
        }
    }
    for (uint32_t t = 0; t < desc.Techniques; t++) {
        D3DXHANDLE technique = effect->GetTechnique(t);
        D3DXTECHNIQUE_DESC td;
        if (effect->GetTechniqueDesc(technique, &td) != D3D_OK || td.Passes > 64)
            Fuzz::Finding("a technique without a description or past the pass limit");
        effect->ValidateTechnique(technique);
        for (uint32_t p = 0; p < td.Passes; p++) {
            D3DXPASS_DESC pd;
            if (effect->GetPassDesc(effect->GetPass(technique, p), &pd) != D3D_OK)
                Fuzz::Finding("a pass without a description");
        }
    }
    uint32_t passes = 0;
    if (desc.Techniques > 0 && effect->Begin(&passes, 0) == D3D_OK) {
        for (uint32_t p = 0; p < passes; p++)
            if (effect->BeginPass(p) != D3D_OK || effect->EndPass() != D3D_OK)
                Fuzz::Finding("a pass of the current technique refused");
        if (effect->End() != D3D_OK)
            Fuzz::Finding("the end of drawing refused");
    }
    effect->Release();
    return 0;
}
