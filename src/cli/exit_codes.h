#pragma once
// The exit codes of the command line, which every command returns.
namespace quelm::cli {

enum Exit : int {
    kSuccess = 0,
    kOperationFailed = 1, // the detector did not give a valid answer in ten frames
    kUsage = 2,           // bad arguments, or the box file could not be read
    kNoBox = 3,           // no box attached, or more than one
    kStopped = 4,         // --timeout ran out: stopped as by a key, " STOP"
    kSignalled = 128,     // plus the signal that stopped it as by a key: 130 SIGINT, 143 SIGTERM
};

} // namespace quelm::cli
