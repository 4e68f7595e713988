// ScriptFamilyMediaHtoZ: the built-ins from 'H' on for sounds, music, speech, subtitles, books and
// videos, the preloads and the screenshot. The dedicated server has no sound device and draws
// nothing: sounds and music go out as world events and to the clients, speech and preloads reach
// a sound manager without device, and a screenshot only makes its folder.
#include "game/scriptfuncs/ScriptBuiltinFamilies.h"

#include "base/Log.h"
#include "game/ctrl/GameCtrl.h"
#include "game/scriptfuncs/ScriptCall.h"
#include "platform/FileSystem.h"
#include "platform/PathResolver.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"
#include "world/WorldEventPayloads.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <memory>

namespace {

constexpr float kMusicUpdateTime = 9e9f;    // one update step long enough to choose the track now
constexpr size_t kPreloadChunk = 64 * 1024;  // a file is read through one buffer of this size
constexpr float kDefaultFade = -1.0f;        // the level's fade time

// The preloads' own refusal text.
bool NeedPreloadName(ScriptCall& call)
{
    if (call.GetCount() >= 1 && call.IsString(0))
        return true;
    call.Error("Invalid argument in in function %s", call.GetName());
    return false;
}

// Sounds and speech.

// A String plays at (x, y) with three arguments, at the source element with two, else without a
// position; an Int names a sound of the clients' own, so nothing plays here.
void PlaySound(ScriptCall& call)
{
    if (!call.NeedCount(1, -1))
        return;
    if (!call.IsString(0) && !call.IsInt(0)) {
        call.Error("First argument must be 'String' or 'Int' in function '%s'", call.GetName());
        return;
    }
    WorldElem* source = nullptr;
    if (call.IsString(0)) {
        if (call.GetCount() == 3) {
            const D3DXVECTOR2 at(call.FloatArg(1), call.FloatArg(2));
            ::PlaySound(call.Text(0), &at, nullptr, 0);
        } else if (call.GetCount() == 2) {
            source = call.Object(1);
            if (!source)
                return;
            const D3DXVECTOR2 at = source->GetPos();
            ::PlaySound(call.Text(0), &at, source, 0);
        } else {
            ::PlaySound(call.Text(0), nullptr, nullptr, 0);
        }
    } else if (call.GetCount() == 2) {
        source = call.GetWorld().GetObjNoCheck(call.Int(1), false);
    }
    call.Forward(call.GetCount(), source, 0, 0);
}

void Speak(ScriptCall& call)
{
    if (!call.NeedCount(1, -1))
        return;
    if (!call.IsString(0)) {
        call.Error("First argument must be 'String' in function '%s'", call.GetName());
        return;
    }
    if (call.GetCount() >= 2 && !call.IsNumber(1)) {
        call.Error("Second argument must be numerical in function '%s'", call.GetName());
        return;
    }
    call.GetWorld().PlaySpeech(call.Text(0), 0);
    call.Forward(call.GetCount(), nullptr, 0, 0);
}

void PreloadSound(ScriptCall& call)
{
    if (NeedPreloadName(call))
        call.GetWorld().LoadSound(call.Text(0), true);
}

void SetGlobalVolume(ScriptCall& call)
{
    if (call.NeedCount(1, 1))
        call.GetCtrl().SetGlobalVolume(call.FloatArg(0));
}

// Music.

// Kind 0 is the level's first (default) track, any other its second (fight) track.
void SetLevelMusic(ScriptCall& call)
{
    if (!call.NeedCount(2, -1) || !call.NeedString(1))
        return;
    WorldCtrl& world = call.GetWorld();
    world.SetLevelMusic(call.Int(0) == 0 ? WorldCtrl::kMusicDefault : WorldCtrl::kMusicFight, String(call.Text(1)));
    world.UpdateMusic(kMusicUpdateTime);
    call.Forward();
}

// Mode 0 the music channels, 1 the ambient channel.
void PostMusic(ScriptCall& call, int32_t mode)
{
    if (!call.NeedCount(1, -1) || !call.NeedString(0))
        return;
    MusicEventRecord music;
    String::CopySized(music.name, sizeof music.name, call.Text(0));
    music.mode = mode;
    music.fade = call.GetCount() >= 2 ? call.FloatArg(1) : kDefaultFade;
    WorldEvent event;
    music.Write(event);
    call.GetCtrl().AddGameEvent(&event);
    call.Forward();
}

void PlayMusic(ScriptCall& call) { PostMusic(call, 0); }

void PlayAmbientMusic(ScriptCall& call) { PostMusic(call, 1); }

// Special music plays only where a sound device is.
void PlaySpecialMusic(ScriptCall& call)
{
    if (call.NeedCount(1, -1))
        call.NeedString(0);
}

// Videos, subtitles and books.

void PlayVideo(ScriptCall& call)
{
    if (!call.NeedCount(1, -1) || !call.NeedString(0))
        return;
    SequenceEventRecord video;
    String::CopySized(video.name, sizeof video.name, call.Text(0));
    WorldEvent event;
    video.Write(event);
    GameCtrl& ctrl = call.GetCtrl();
    ctrl.AddGameEvent(&event);
    ctrl.HoldFrames(1);
}

// The second argument, when given, is the line of the subtitle.
void SubTitle(ScriptCall& call)
{
    if (!call.NeedCount(1, -1) || !call.NeedString(0))
        return;
    call.GetCtrl().GetSubtitle(call.Text(0), call.IntOr(1, 0), 1);
    call.Forward();
}

void SubTitleLength(ScriptCall& call)
{
    call.SetTypeFloat();
    if (!call.NeedCount(1, 1))
        return;
    call.SetFloat(call.GetCtrl().GetSubtitle(call.IsString(0) ? call.Text(0) : "", 0, 0));
    call.Forward(1, nullptr, 1, 1);
}

// Books are shown by the clients' windows only.
void ShowBook(ScriptCall& call)
{
    if (call.NeedCount(1, -1) && call.NeedString(0))
        call.Forward();
}

// Preloads and the screenshot.

void PreloadObject(ScriptCall& call)
{
    if (NeedPreloadName(call))
        call.GetWorld().PreloadObject(call.Text(0));
}

void PreloadEffect(ScriptCall& call) { NeedPreloadName(call); }

// Reads the file once so that the system caches it. Only a regular file inside the game folder
// is read, through one buffer and no further than its size when opened: a device, a pipe or a
// growing file cannot hold the server.
void PreloadFile(ScriptCall& call)
{
    if (!NeedPreloadName(call))
        return;
    const char* name = call.Text(0);
    std::FILE* file = nullptr;
    if (Platform::IsInsideGameDir(name) && Platform::FileExists(name))
        file = Platform::OpenFile(name, "rb");
    if (!file) {
        Log::Write("script: Can not preload file: %s", name);
    } else {
        int64_t left = std::max<int64_t>(Platform::GetOpenFileSize(file), 0);
        const std::unique_ptr<char[]> buffer(new char[kPreloadChunk]);
        while (left > 0) {
            const size_t read = std::fread(buffer.get(), 1, size_t(std::min<int64_t>(left, kPreloadChunk)), file);
            if (read == 0)
                break;
            left -= int64_t(read);
        }
        std::fclose(file);
    }
    call.Forward();
}

// The controller writes the picture where a device exists (on the server only the folder of a
// numbered name is made). A name of the script must stay inside the game folder.
void ScreenShot(ScriptCall& call)
{
    GameCtrl& ctrl = call.GetCtrl();
    ctrl.LowerDebugUse();
    const char* name = call.IsString(0) ? call.Text(0) : nullptr;
    if (name && !Platform::IsInsideGameDir(name)) {
        call.Refuse();
        return;
    }
    ctrl.SaveScreenshot(name);
}

}  // namespace

ScriptBuiltinFamily ScriptFamilyMediaHtoZ()
{
    static const ScriptBuiltinEntry entries[] = {
        {"PlaySound", PlaySound},
        {"Speak", Speak},
        {"PreloadSound", PreloadSound},
        {"SetGlobalVolume", SetGlobalVolume},
        {"SetLevelMusic", SetLevelMusic},
        {"PlayMusic", PlayMusic},
        {"PlayAmbientMusic", PlayAmbientMusic},
        {"PlaySpecialMusic", PlaySpecialMusic},
        {"PlayVideo", PlayVideo},
        {"SubTitle", SubTitle},
        {"SubTitleLength", SubTitleLength},
        {"ShowBook", ShowBook},
        {"PreloadObject", PreloadObject},
        {"PreloadEffect", PreloadEffect},
        {"PreloadFile", PreloadFile},
        {"ScreenShot", ScreenShot},
    };
    return {entries, std::size(entries)};
}
