#pragma once
// What the message lines of an operation mean, for the command line: the message
// table the front end uses until language files are loaded, and the exit
// code an operation's result stands for.
#include "core/language_tables.h"
#include "form/form.h"
#include "site/operation_runner.h"

#include <cstdio>
#include <string>

namespace quelm::cli {

void FillMessageTable(LanguageTables& tables);

// Says on `err` that a stop ended the operation: the signal that asked for
// it, or `timedOut` when the time-out did. Returns the exit code.
int SayStopped(std::FILE* err, const char* timedOut);

// The exit code of an operation's result: done is success; a stop or the
// time-out is said as SayStopped says it (`timedOut` for the time-out),
// anything else with the message line's text, on `err`.
int Outcome(const OperationResult& r, std::FILE* err, const char* timedOut = "no answer before the time-out");

// "quelmbox-cli: " and `message` on a line of `err`, its control characters
// escaped: a message may quote a file's name or its text.
void SayError(std::FILE* err, const std::string& message);

} // namespace quelm::cli
