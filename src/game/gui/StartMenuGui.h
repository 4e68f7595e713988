// StartMenuGui: the client's start menus in their least form: the main menu, the character
// selection with its texts, the conversion window, the host screen's level buttons, the join
// screen's server list and the quit dialog, each a field or button that the controller opens,
// fills and reads. A button's clicks are read once (reading clears them). The dedicated server
// makes them and never opens one.
#pragma once
#include "base/String.h"
#include "engine/gui/DXC_GuiButton.h"
#include "engine/gui/DXC_GuiField.h"
#include "engine/gui/DXC_GuiInputText.h"
#include "engine/gui/DXC_GuiText.h"
#include "game/gui/GameGuiField.h"

#include <cstdint>
#include <vector>

class StartMenuGui : public GameGuiField {
public:
    static constexpr int32_t kHostLevels = 11;

    // A server of the join screen's list.
    struct ServerEntry {
        String address;
        uint16_t port = 0;
        int32_t players = 0;
        int32_t maxPlayers = 0;
    };

    StartMenuGui() : GameGuiField("StartMenuGui", true)
    {
        for (DXC_GuiField* field : {&mainMenu, &characterSelection, &browseNext, &browsePrevious, &conversionLink,
                                    &conversionWindow, &hostScreen, &joinScreen, &quitDialog})
            field->SetOpenState(false);
    }

    // Reads and clears the button's clicks.
    static bool WasClicked(DXC_GuiButton& button) { return button.GetClicks(true) > 0; }

    GameGuiField mainMenu{"MainMenu"};
    GameGuiField characterSelection{"CharacterSelection"};
    GameGuiField browseNext{"BrowseNext"};          // the browsing buttons' fields: open with
    GameGuiField browsePrevious{"BrowsePrevious"};  // more than one character
    GameGuiField conversionLink{"ConversionLink"};  // leads to the conversion window
    GameGuiField conversionWindow{"ConversionWindow"};
    GameGuiField hostScreen{"HostScreen"};
    GameGuiField joinScreen{"JoinScreen"};
    GameGuiField quitDialog{"QuitDialog"};
    DXC_GuiText nameText;   // the selected character's name
    DXC_GuiText infoText;   // class, chapter, level and difficulty
    DXC_GuiText classNameText;
    DXC_GuiText classInfoText;

    DXC_GuiButton singlePlayerButton;
    DXC_GuiButton creditsButton;
    DXC_GuiButton nextCharacterButton;
    DXC_GuiButton previousCharacterButton;
    DXC_GuiButton convertConfirmButton;
    DXC_GuiButton deleteButton;
    DXC_GuiButton startButton;
    DXC_GuiButton multiplayerStartButton;
    DXC_GuiButton backButton;
    DXC_GuiButton newCharacterButton;
    DXC_GuiButton classNextButton;
    DXC_GuiButton classPreviousButton;
    DXC_GuiButton createButton;
    DXC_GuiButton multiplayerButton;
    DXC_GuiButton hostButton;
    DXC_GuiButton joinButton;
    DXC_GuiButton quitButton;

    // The host screen: one button per level (on: may be started), the difficulty and the name.
    DXC_GuiButton hostLevelButtons[kHostLevels];
    int32_t selectedHostLevel = 0;  // the first button that is on
    int32_t hostDifficulty = 0;
    DXC_GuiInputText serverName;
    // The join screen: the servers found and the selected one (-1 none).
    std::vector<ServerEntry> servers;
    int32_t selectedServer = -1;
    // The video the credits button asked for last; playback is the client's device.
    String playedVideo;
    // The text shown last for a while ("DB:charConverted", a disconnect reason).
    wString notice;
};
