// The whole support library: memory, threads, mutexes, network, strings,
// text readers.
#pragma once

#include "communication/network.h"
#include "system/memory.h"
#include "system/mutex.h"
#include "system/thread.h"
#include "types/string.h"
#include "types/text.h"
