#pragma once
// frmMain: the window model with everything the handlers reach: the link
// variables, the exchange state, the language tables, the box driver and the
// scheduler. Every handler takes a Form&.
#include "core/language_tables.h"
#include "core/scheduler.h"
#include "core/window_model.h"
#include "driver_api/box_driver.h"
#include "form/exchange_state.h"
#include "form/link_variables.h"

#include <filesystem>

namespace quelm {

struct Form {
    Form(Scheduler& scheduler, BoxDriver& boxDriver) : clock(scheduler), driver(boxDriver), ui(scheduler) {}
    Scheduler& clock;
    BoxDriver& driver;
    WindowModel ui;
    LinkVariables link;
    ExchangeState x;
    LanguageTables tables;
    // Where the settings and language files are: the working directory
    // unless a test gives another.
    std::filesystem::path workDir;
    // The user's home folder, offered by the disk manager's drive list;
    // empty when there is none.
    std::filesystem::path homeDir;
    // The disk manager's mode: "openpri", "savepri", or empty before the
    // first file menu choice.
    std::string filePanelMode;
};

} // namespace quelm
