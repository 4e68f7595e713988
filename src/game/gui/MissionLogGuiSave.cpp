// MissionLogGui: the mission log's block of "game.sv".
//
//   i32  index of the selected entry, -1 for none
//   i32  entry count M
//   M x (i32 entry kind, String entry key)   in list order; the key names the entry's row of the
//                                            "MissionLog" table
#include "game/gui/MissionLogGui.h"

#include "base/File.h"

void MissionLogGui::Save(File& file) const
{
    file.WriteInt32(m_Selected);
    file.WriteInt32(int32_t(m_Entries.size()));
    for (const Entry& entry : m_Entries) {
        file.WriteInt32(entry.kind);
        file.WriteString(entry.key);
    }
}
