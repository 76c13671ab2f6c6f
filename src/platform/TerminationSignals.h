#pragma once

// SIGTERM and SIGHUP (a kill, a logout) turned into something an event loop can watch: the handler
// only writes the signal's number as one byte into a pipe, the one thing a handler may safely do,
// and the program reads the pipe on its own thread and saves what it can before it quits.
namespace platform {

// Installs the handlers once and returns the pipe's read end, non-blocking and closed on exec: it
// becomes readable with one byte (the signal number) per signal caught. Later calls return the same
// descriptor. A hang-up that was ignored when the program started (nohup) stays ignored. -1 when
// the pipe or the handlers could not be set up; nothing is then installed.
int InstallTerminationPipe();

// Puts back the dispositions found at installation and closes the pipe; the next signal acts as it
// would have without the program's handlers (the default ends the process).
void RemoveTerminationPipe();

} // namespace platform
