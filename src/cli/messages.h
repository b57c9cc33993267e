#pragma once
// What the message lines of a read mean, for the command line: the box table
// the front end uses until language files are loaded.
#include "core/language_tables.h"

namespace quelm::cli {

void FillBoxTable(LanguageTables& tables);

} // namespace quelm::cli
