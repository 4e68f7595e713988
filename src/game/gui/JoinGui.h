// JoinGui: the screen that joins a multiplayer game: so far its list of the servers found on the
// local network, which the controller fills; the rows and the address input come with its frame.
#pragma once
#include "base/DynaMem.h"
#include "base/String.h"
#include "game/gui/GameGuiField.h"

#include <cstdint>

class JoinGui : public GameGuiField {
public:
    // One server of the list: where it is and what it announced.
    struct ServerListEntry {
        String host;  // the dotted IPv4 address
        String name;
        uint16_t port = 0;
        int32_t level = 0;  // the level progress ID of its current level
        int32_t difficulty = 0;
        uint16_t players = 0;
        uint16_t maxPlayers = 0;
    };
    using ServerList = DynaMem<ServerListEntry, 10>;

    explicit JoinGui(bool createChildren = true) : GameGuiField("JoinGui", createChildren) {}

    ServerList& GetServerList() { return m_ServerList; }

private:
    ServerList m_ServerList;
};
