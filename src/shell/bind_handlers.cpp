#include "shell/bind_handlers.h"

#include "addresses/address_replies.h"
#include "addresses/addresses.h"
#include "box/box_channel.h"
#include "box/connection_test.h"
#include "core/roles.h"
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
    on(timer::connectionListen, Timer1_Timer);
    on(timer::stopWatch, Timer3_Timer);
    on(timer::connectionResend, Timer4_Timer);
    on(timer::replyWatchdog, Timer6_Timer);
    on(timer::replyPoll, Timer17_Timer);
    on(timer::addressRead, Timer18_Timer);
    on(timer::addressWrite, Timer19_Timer);
    on(timer::readGroup2, Timer23_Timer);
    on(timer::readGroup3, Timer24_Timer);
    on(timer::testNumberDone, Timer25_Timer);
    on(timer::retry, Timer28_Timer);
}

void BindControls(Form& f) {
    WindowModel& ui = f.ui;
    ui.ClassicOpen->onClick = [&f] { ClassicOpen_Click(f); };
    ui.ClassicClose->onClick = [&f] { ClassicClose_Click(f); };
    ui.GetNumDevices->onClick = [&f] { GetNumDevices_Click(f); };
    ui.Command[button::copyAddresses]->onClick = [&f] { Command3_Click(f); };
    ui.Command[button::readAddresses]->onClick = [&f] { Command4_Click(f); };
    ui.Command[button::sendAddresses]->onClick = [&f] { Command5_Click(f); };
    ui.Command[button::readParameters]->onClick = [&f] { Command7_Click(f); };
    ui.Command[button::waitNumber]->onClick = [&f] { Command9_Click(f); };
    ui.Command[button::sendTestNumber]->onClick = [&f] { Command13_Click(f); };
    ui.French->onClick = [&f] { French_Click(f); };
    ui.English->onClick = [&f] { English_Click(f); };
    ui.Option[option::boxChannelA]->onClick = [&f] { Option1_Click(f); };
    ui.Option[option::boxChannelB]->onClick = [&f] { Option2_Click(f); };
    ui.Text3->onChange = [&f] { Text3_Change(f); };
    ui.Text8->onChange = [&f] { Text8_Change(f); };
    ui.Text9->onChange = [&f] { Text9_Change(f); };
    ui.Text10->onChange = [&f] { Text10_Change(f); };
    ui.openfile->onClick = [&f] { openfile_Click(f); };
    ui.Savefile->onClick = [&f] { Savefile_Click(f); };
    ui.Drvlist->onChange = [&f] { Drvlist_Change(f); };
    ui.Dirlist->onChange = [&f] { Dirlist_Open(f); };
    ui.File1->onClick = [&f] { File1_Click(f); };
    ui.Command[button::folderCancel]->onClick = [&f] { Command10_Click(f); };
    ui.Command[button::folderOk]->onClick = [&f] { Command11_Click(f); };
    ui.Command[button::folderCreate]->onClick = [&f] { Command12_Click(f); };
}

} // namespace

void bindHandlers(Form& f) {
    BindTimers(f);
    BindControls(f);
    BindSendAndNumberHandlers(f);
}

} // namespace quelm
