#pragma once

#include <sys/types.h>
#include <unistd.h>

namespace voltora::testing {

// The calling thread's kernel id, for ThreadIsAsleep.
inline pid_t CurrentThreadId()
{
    return gettid();
}

// Whether the thread `tid` of this process sleeps in the kernel (state S in
// /proc): blocked on a condition variable, a mutex, a socket or a pipe. A
// test that must act while another thread waits inside a call (and not
// before the call has begun) waits for this instead of sleeping a while.
bool ThreadIsAsleep(pid_t tid);

}  // namespace voltora::testing
