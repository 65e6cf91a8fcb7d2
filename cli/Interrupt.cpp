#include "Interrupt.h"

#include <csignal>

namespace
{

volatile std::sig_atomic_t g_requested = 0;

void onSigint(int)
{
    g_requested = 1;
}

} // namespace

void Interrupt::install()
{
    struct sigaction action = {};
    action.sa_handler = onSigint;
    sigemptyset(&action.sa_mask);
    // SA_RESETHAND: the second Ctrl-C meets the default action.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void Interrupt::request()
{
    g_requested = 1;
}

bool Interrupt::requested()
{
    return g_requested != 0;
}
