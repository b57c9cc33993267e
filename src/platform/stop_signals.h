#pragma once
// What a command-line program takes from the system around it: the requests
// to end (Ctrl+C, a termination signal, a closed console window), a pipe
// closed by its reader, and standard streams closed by its caller.
namespace quelm::platform {

// From now on a request to end only notes that it came (the running
// exchange is then stopped as by the stop key), and a closed pipe makes a
// write fail instead of ending the process half-way through an exchange.
// Linux: SIGINT, SIGTERM and SIGHUP (a closed terminal, a dropped remote
// session) noted, SIGPIPE ignored. Windows: Ctrl+C noted as SIGINT;
// Ctrl+Break, the console's closing, the user's logging off and the
// system's shutting down as SIGTERM, the process then kept alive until it
// ends on its own (the system gives it some seconds). Forgets a request
// noted before.
void CatchStopSignals();

// The signal noted since CatchStopSignals, or 0.
int StopSignal();
// "SIGINT", "SIGTERM", "SIGHUP", or nothing when none came.
const char* StopSignalName();

// A closed standard stream is opened on the null device (standard output
// read-only, so that writing to it fails as it would have), so that no file
// the tool opens later becomes one and receives its output.
void KeepStandardStreamsTaken();

} // namespace quelm::platform
