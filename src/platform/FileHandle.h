#pragma once

#include <cstdint>

// Raw file handles over POSIX descriptors, with the open parameters the program's file
// code was designed around: access rights, a share mode, a creation disposition and
// attributes. Every function sets errno when it fails; LastError() reads it back.
namespace platform {

using FileHandle = int;
constexpr FileHandle kInvalidHandle = -1;

constexpr uint32_t kGenericRead = 0x80000000u;
constexpr uint32_t kGenericWrite = 0x40000000u;

constexpr uint32_t kShareNone = 0;
constexpr uint32_t kShareRead = 1;
constexpr uint32_t kShareWrite = 2;

constexpr uint32_t kCreateNew = 1;
constexpr uint32_t kCreateAlways = 2;
constexpr uint32_t kOpenExisting = 3;
constexpr uint32_t kOpenAlways = 4;
constexpr uint32_t kTruncateExisting = 5;

constexpr uint32_t kFileAttributeNormal = 0x80;

constexpr uint32_t kFileBegin = 0;
constexpr uint32_t kFileCurrent = 1;
constexpr uint32_t kFileEnd = 2;
constexpr uint32_t kInvalidPosition = 0xFFFFFFFFu;

// Opens or creates a file. Share mode 0 locks it: an advisory lock that every such opener (in
// this or another process) respects, shared for reading and exclusive for writing; a file held
// against the wanted lock fails with EBUSY. A file system without locks opens unlocked. New
// files are readable and writable by their owner only. Directories are refused; a pipe opens at
// once, whether or not anyone writes to it.
FileHandle OpenFile(const char* path, uint32_t access, uint32_t shareMode, uint32_t disposition, uint32_t attributes);

// One read request; `done` gets the number of bytes read (0 at the end of the file).
bool ReadFile(FileHandle h, void* buffer, uint32_t count, uint32_t* done);

// One write request; `done` gets the number of bytes the system accepted.
bool WriteFile(FileHandle h, const void* buffer, uint32_t count, uint32_t* done);

// Moves the file pointer; returns the new position, or kInvalidPosition. Positions past
// 4 GiB - 2 cannot be expressed and fail with EOVERFLOW.
uint32_t SetFilePointer(FileHandle h, int32_t distance, uint32_t method);

// Ends the file at the current position.
bool SetEndOfFile(FileHandle h);

bool FlushFileBuffers(FileHandle h);
bool CloseHandle(FileHandle h);

// The system error code of the last failing call on this thread.
uint32_t LastError();

} // namespace platform
