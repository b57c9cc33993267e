#pragma once
// Shared by the Windows side of the platform layer only.
namespace quelm::platform {

// Set when a request to end comes, so that a wait for the next timer ends
// early (an auto-reset event, made on first use).
void* StopRequestEvent();

} // namespace quelm::platform
