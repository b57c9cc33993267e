#pragma once
// What the message lines of an operation mean, for the command line: the box
// table the front end uses until language files are loaded, and the exit
// code an operation's last message stands for.
#include "core/language_tables.h"
#include "form/form.h"

#include <cstdio>
#include <string>

namespace quelm::cli {

void FillBoxTable(LanguageTables& tables);

// Says on `err` that a stop ended the operation: the signal that asked for
// it, or `timedOut` when the time-out did. Returns the exit code.
int SayStopped(std::FILE* err, const char* timedOut);

// The exit code of an operation that ends with box table line `doneLine` on
// success, from the line its handlers recorded; anything else is said on
// `err`.
int Outcome(const Form& f, bool stopped, MessageLine doneLine, std::FILE* err);

// "quelmbox-cli: " and `message` on a line of `err`, its control characters
// escaped: a message may quote a file's name or its text.
void SayError(std::FILE* err, const std::string& message);

} // namespace quelm::cli
