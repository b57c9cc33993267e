// The handlers of the send of parameters and of the number programming.
#include "core/roles.h"
#include "program_number/number_replies.h"
#include "program_number/program_number.h"
#include "send_params/send_parameters.h"
#include "send_params/send_replies.h"
#include "shell/bind_handlers.h"

#include <iterator>

namespace quelm {

void BindSendAndNumberHandlers(Form& f) {
    using Handler = void (*)(Form&);
    // A send step's timer is its step number: the channel first, then one
    // parameter each, then the comparison that ends a pass.
    static constexpr Handler sendSteps[] = {Timer7_Timer,  Timer8_Timer,  Timer9_Timer,  Timer10_Timer, Timer11_Timer,
                                            Timer12_Timer, Timer13_Timer, Timer14_Timer, Timer15_Timer, Timer16_Timer};
    static_assert(std::size(sendSteps) == timer::lastSendStep - timer::firstSendStep.number + 1);
    const auto on = [&f](std::size_t n, Handler handler) { f.ui.Timer[n]->onTick = [&f, handler] { handler(f); }; };
    for (std::size_t i = 0; i < std::size(sendSteps); ++i) on(timer::firstSendStep + i, sendSteps[i]);
    on(timer::sendNewNumber, Timer20_Timer);
    on(timer::callBetweenSteps, Timer27_Timer);
    f.ui.Command[button::programNumber]->onClick = [&f] { Command6_Click(f); };
    f.ui.Command[button::sendParameters]->onClick = [&f] { Command8_Click(f); };
}

} // namespace quelm
