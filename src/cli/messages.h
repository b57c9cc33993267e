#pragma once
// What the message lines of an operation mean, for the command line: the box
// table the front end uses until language files are loaded, and the exit
// code an operation's last message stands for.
#include "core/language_tables.h"
#include "exchange/form.h"

#include <cstdio>

namespace quelm::cli {

void FillBoxTable(LanguageTables& tables);

// The exit code of an operation that ends with box table line `doneLine` on
// success; anything else is said on `err`.
int Outcome(const Form& f, bool stopped, int doneLine, std::FILE* err);

// The message line says there was no box to use: none, several, or a port
// the driver could not open.
bool SaysNoBox(const Form& f);

} // namespace quelm::cli
