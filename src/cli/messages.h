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

// The exit code of an operation that ends with box table line `doneLine` on
// success, from the line its handlers recorded; anything else is said on
// `err`.
int Outcome(const Form& f, bool stopped, MessageLine doneLine, std::FILE* err);

// The message line says there was no box to use: none, several, or a port
// the driver could not open.
bool SaysNoBox(const Form& f);

// "quelmbox-cli: " and `message` on a line of `err`, its control characters
// escaped: a message may quote a file's name or its text.
void SayError(std::FILE* err, const std::string& message);

} // namespace quelm::cli
