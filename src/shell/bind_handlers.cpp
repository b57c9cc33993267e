#include "shell/bind_handlers.h"

#include "addresses/address_replies.h"
#include "addresses/addresses.h"
#include "box/box_channel.h"
#include "box/connection_test.h"
#include "decoder/decoder.h"
#include "form/parameters.h"
#include "link/exchange_end.h"
#include "link/session.h"
#include "project/disk_manager.h"
#include "project/number_box.h"
#include "project/project_actions.h"
#include "read_params/parameter_replies.h"
#include "read_params/read_parameters.h"
#include "shell/startup.h"

namespace quelm {

namespace {

void BindTimers(Form& f) {
    auto on = [&f](int n, void (*handler)(Form&)) {
        f.ui.Timer[static_cast<std::size_t>(n)]->onTick = [&f, handler] { handler(f); };
    };
    on(1, Timer1_Timer);
    on(3, Timer3_Timer);
    on(4, Timer4_Timer);
    on(6, Timer6_Timer);
    on(17, Timer17_Timer);
    on(18, Timer18_Timer);
    on(19, Timer19_Timer);
    on(23, Timer23_Timer);
    on(24, Timer24_Timer);
    on(25, Timer25_Timer);
    on(28, Timer28_Timer);
}

void BindControls(Form& f) {
    WindowModel& ui = f.ui;
    ui.ClassicOpen->onClick = [&f] { ClassicOpen_Click(f); };
    ui.ClassicClose->onClick = [&f] { ClassicClose_Click(f); };
    ui.GetNumDevices->onClick = [&f] { GetNumDevices_Click(f); };
    ui.Command[3]->onClick = [&f] { Command3_Click(f); };
    ui.Command[4]->onClick = [&f] { Command4_Click(f); };
    ui.Command[5]->onClick = [&f] { Command5_Click(f); };
    ui.Command[7]->onClick = [&f] { Command7_Click(f); };
    ui.Command[9]->onClick = [&f] { Command9_Click(f); };
    ui.Command[13]->onClick = [&f] { Command13_Click(f); };
    ui.French->onClick = [&f] { French_Click(f); };
    ui.English->onClick = [&f] { English_Click(f); };
    ui.Option[1]->onClick = [&f] { Option1_Click(f); };
    ui.Option[2]->onClick = [&f] { Option2_Click(f); };
    ui.Text3->onChange = [&f] { Text3_Change(f); };
    ui.Text7->onChange = [&f] { Text7_Change(f); };
    ui.Text8->onChange = [&f] { Text8_Change(f); };
    ui.Text9->onChange = [&f] { Text9_Change(f); };
    ui.Text10->onChange = [&f] { Text10_Change(f); };
    ui.openfile->onClick = [&f] { openfile_Click(f); };
    ui.Savefile->onClick = [&f] { Savefile_Click(f); };
    ui.Drvlist->onChange = [&f] { Drvlist_Change(f); };
    ui.Dirlist->onChange = [&f] { Dirlist_Open(f); };
    ui.File1->onClick = [&f] { File1_Click(f); };
    ui.Command[10]->onClick = [&f] { Command10_Click(f); };
    ui.Command[11]->onClick = [&f] { Command11_Click(f); };
    ui.Command[12]->onClick = [&f] { Command12_Click(f); };
    for (int i = 0; i < 10; ++i) ui.Text2[static_cast<std::size_t>(i)]->onChange = [&f, i] { Text2_Change(f, i); };
}

} // namespace

void bindHandlers(Form& f) {
    BindTimers(f);
    BindControls(f);
    BindSendAndNumberHandlers(f);
}

} // namespace quelm
