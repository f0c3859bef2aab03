// Registered objects, their attached clients and subscriptions (the C API
// is in ext_obex.h).
//
// Threads: the host's main thread.
#pragma once

namespace kit::rt {

/// A registered object is being freed: its clients get "free" (while it is
/// still whole).
void notify_freeing(const void *x);
/// A freed object leaves everything: its registration, its attachments and
/// subscriptions as a client.
void forget_registered(const void *x);

} // namespace kit::rt
