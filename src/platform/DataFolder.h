#pragma once

#include <cstdint>
#include <string>

// Where the program keeps its per-user files, and the identity of the file system that holds them.
namespace platform {

// The per-user data folder: $XDG_CONFIG_HOME/Lockwarden, or ~/.config/Lockwarden when that variable is
// unset or not an absolute path. Empty when no home folder can be found. The folder may not exist yet.
std::string GetDataFolder();

// The folder for copies of unsaved work: $XDG_STATE_HOME/Lockwarden/recovery, or
// ~/.local/state/Lockwarden/recovery when that variable is unset or not an absolute path. Empty when
// no home folder can be found. The folder may not exist yet.
std::string GetRecoveryFolder();

// The private folder for the single-instance socket when the session has no usable runtime folder:
// $XDG_STATE_HOME/Lockwarden/run, or ~/.local/state/Lockwarden/run. Empty when no home folder can be
// found. The folder may not exist yet.
std::string GetRuntimeFallbackFolder();

// Whether the folder is one only this user can reach: a folder itself (not a link to one), owned by
// this process's user, with no group or other permission bits. When not, why is set to a sentence
// that says what is wrong.
bool IsPrivateFolder(const std::string& folder, std::string& why);

// Creates the folder and any missing parents (new ones readable by their owner only); true when it
// exists as a folder afterwards.
bool EnsureFolder(const std::string& folder);

// The serial number of the volume that holds the path: the low 32 bits of its file system id. False
// when the path can't be examined (for instance because it does not exist).
bool GetVolumeSerial(const std::string& path, uint32_t& serial);

} // namespace platform
