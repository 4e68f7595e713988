// AreaDamageEventRecord: writing and reading the area damage payload.
#include "scifi/ctrl/AreaDamageEventRecord.h"

#include "base/ByteReader.h"
#include "world/WorldEventPayloads.h"

void AreaDamageEventRecord::Write(WorldEvent& event) const
{
    uint8_t buffer[kSize] = {};
    ByteWriter out(buffer, sizeof buffer);
    out.WriteFloat(centre[0]);
    out.WriteFloat(centre[1]);
    out.WriteFloat(radius);
    out.WriteFloat(reachOffset);
    damage.Write(out);
    out.WriteU32(uint32_t(causerID));
    out.WriteU32(uint32_t(lastValue));
    SetEventPayload(event, kType, buffer, kSize, event.time);
}

bool AreaDamageEventRecord::Read(const WorldEvent& event)
{
    ByteReader in(event.payload.get(), event.payload ? size_t(event.size > 0 ? event.size : 0) : 0);
    centre[0] = in.ReadFloat();
    centre[1] = in.ReadFloat();
    radius = in.ReadFloat();
    reachOffset = in.ReadFloat();
    damage.Read(in);
    causerID = in.ReadI32();
    lastValue = in.ReadI32();
    return !in.Failed();
}
