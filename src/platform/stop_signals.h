#pragma once
// What a command-line program takes from the system around it: the requests
// to end (Ctrl+C, a termination signal, a closed console window), a pipe
// closed by its reader, and standard streams closed by its caller.
namespace quelm::platform {

// From now on a request to end only notes that it came (the running
// exchange is then stopped as by the stop key), and a closed pipe makes a
// write fail instead of ending the process half-way through an exchange.
// Linux: SIGINT and SIGTERM noted, SIGPIPE ignored. Windows: Ctrl+C noted as
// SIGINT; Ctrl+Break and the console's closing as SIGTERM. Forgets a request
// noted before.
void CatchStopSignals();

// The signal noted since CatchStopSignals, or 0.
int StopSignal();
// "SIGINT", "SIGTERM", or nothing when none came.
const char* StopSignalName();

// A closed standard stream is opened on the null device (standard output
// read-only, so that writing to it fails as it would have), so that no file
// the tool opens later becomes one and receives its output.
void KeepStandardStreamsTaken();

} // namespace quelm::platform
