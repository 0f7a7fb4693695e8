// The test support library's one translation unit; its fakes live in headers.
#include "support/recursive_timed_lock.h"
