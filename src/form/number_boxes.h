#pragma once
// The number boxes: "Détecteur N°" (Text3), "Programmation du N°" (Text4)
// and the test number (Text7). Every operation that takes a number from one
// of them takes it here, so that the window's views only pass the text on.
#include "core/message_lines.h"
#include "form/form.h"

#include <optional>

namespace quelm {

// The number a number box holds: plain decimal digits from 0 to
// kMaxDetectorNumber, blanks around them allowed. Any other text ("abc",
// "12,5", "3OO", "1e3", "3 00", an empty box, a number too large) holds none.
std::optional<long> BoxNumber(const TextBox& box);

// The box's number as a frame carries it, for a step of an operation already
// under way: a text that holds no number (changed while the operation runs)
// gives -1, which has no frame form, so that the transport refuses the frame
// rather than send it to the number the text happens to start with.
double FrameNumberOf(const TextBox& box);

// What the refused operation was to do with the box's number.
enum class NumberUse { read, send };

// Refuses an operation before anything is sent or changed when `box` holds
// no number: the message line says that the read (or the send) is refused
// and names the box by its caption, in the user's language. True when
// refused; nothing else in the window changes.
bool RefuseNotANumber(Form& f, const TextBox& box, NumberUse use);

// The message line says an operation was refused for a number box.
constexpr bool IsNumberBoxRefusal(MessageLine k) { return k == numberBoxReadRefused || k == numberBoxSendRefused; }

} // namespace quelm
