// Sounds on the host: a wave file is played by a host audio player, when there is one.
//
// The player is the program named by ORVINTA_SOUND_PLAYER (found on PATH unless the name holds a
// "/"; an empty value means "no player"), or else the first of paplay, pw-play and aplay on PATH.
// It is started with the host path of the sound file as its one argument. The host has no
// system sounds, so an alias (SND_ALIAS) fails, as does a file that does not exist, a loop
// that is not asynchronous, or a missing player. Each call first stops the sound that plays in
// the background; a null name only does that, and succeeds. A background sound belongs to the
// program that started it: it is stopped when the program exits, and a loop ends by itself after
// the current round when the program is gone without exiting (killed).
#pragma once
#include <cstdint>

namespace orvinta::platform::host {

// PlaySoundW's answer on the host: true when the sound played (synchronous) or started.
bool PlaySoundWithPlayer(const char16_t* name, uint32_t flags);

}  // namespace orvinta::platform::host
