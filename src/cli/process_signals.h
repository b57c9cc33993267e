#pragma once
// What the command line takes from the system around it: the signals that
// ask it to end, a pipe closed by its reader, and standard streams closed by
// its caller.
namespace quelm::cli {

// From now on SIGINT and SIGTERM only note that they came (the running
// exchange is then stopped as by the stop key), and SIGPIPE is ignored: a
// closed pipe makes a write fail, it does not end the process half-way
// through an exchange. Forgets a signal noted before.
void CatchStopSignals();

// The signal noted since CatchStopSignals, or 0.
int StopSignal();
// "SIGINT", "SIGTERM", or nothing when none came.
const char* StopSignalName();

// A closed standard stream is opened on /dev/null (standard output read-only,
// so that writing to it fails as it would have), so that no file the tool
// opens later becomes one and receives its output.
void KeepStandardStreamsTaken();

} // namespace quelm::cli
