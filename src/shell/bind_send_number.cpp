// The handlers of the send of parameters and of the number programming.
#include "core/roles.h"
#include "program_number/number_replies.h"
#include "program_number/program_number.h"
#include "send_params/send_parameters.h"
#include "send_params/send_replies.h"
#include "shell/bind_handlers.h"

namespace quelm {

void BindSendAndNumberHandlers(Form& f) {
    using Handler = void (*)(Form&);
    const std::pair<int, Handler> timers[] = {
        {7, Timer7_Timer},   {8, Timer8_Timer},   {9, Timer9_Timer},   {10, Timer10_Timer},
        {11, Timer11_Timer}, {12, Timer12_Timer}, {13, Timer13_Timer}, {14, Timer14_Timer},
        {15, Timer15_Timer}, {16, Timer16_Timer}, {20, Timer20_Timer}, {27, Timer27_Timer},
    };
    for (const auto& [n, handler] : timers)
        f.ui.Timer[static_cast<std::size_t>(n)]->onTick = [&f, h = handler] { h(f); };
    f.ui.Command[button::programNumber]->onClick = [&f] { Command6_Click(f); };
    f.ui.Command[button::sendParameters]->onClick = [&f] { Command8_Click(f); };
    f.ui.Text4->onChange = [&f] { Text4_Change(f); };
}

} // namespace quelm
