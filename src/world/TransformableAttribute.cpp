// TransformableAttribute: reading through the controller's game functions, and the record.
#include "world/TransformableAttribute.h"

#include "base/File.h"
#include "base/FileRecordReader.h"
#include "world/GameCtrlInterface.h"

float TransformableAttribute::GetValue(WorldElem* element) const
{
    if (functionName.IsEmpty() || !g_GameCtrl)
        return value;
    return g_GameCtrl->ApplyGameFunction(value, functionName.c_str(), element);
}

float TransformableAttribute::GetValueFor(const float* parameter) const
{
    if (functionName.IsEmpty() || !g_GameCtrl)
        return value;
    return g_GameCtrl->ApplyGameFunctionFor(value, functionName.c_str(), parameter);
}

void TransformableAttribute::Save(File& stream) const
{
    stream.WriteFloat(value);
    stream.WriteString(functionName);
}

void TransformableAttribute::Load(FileRecordReader& in)
{
    value = in.F32();
    in.Text(functionName);
}
